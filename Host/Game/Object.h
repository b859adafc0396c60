#pragma once
// Base classes of every game object. Game classes carry no data of their own here: an object
// pointer is the game's, and every member is reached by name through the host, by its entry in
// the table of game names (GameNameTable.h).
#include "../BasicTypes.h"

struct UClass;
struct UObject;

struct UObjectBase {
    FName& NameField() { return GameNames::UObjectBase_Name.Of(this); }
    UClass* ClassField() { return GameNames::UObjectBase_Class.Of(this); }
    bool IsValidLowLevelFast(bool bRecursive) { return GameNames::UObjectBase_IsValidLowLevelFast(this, bRecursive); }
};

struct UObjectBaseUtility : UObjectBase {
    FString* GetFullName(FString* result, UObject* StopOuter) {
        GameNames::UObjectBaseUtility_GetFullName(this, result, StopOuter);
        return result;
    }
    bool IsA(UClass* someBase) { return GameNames::UObjectBaseUtility_IsA(this, someBase); }
};

struct UObject : UObjectBaseUtility {};

struct UClass : UObject {
    UObject* GetDefaultObject(bool bCreateIfNeeded) { return GameNames::UClass_GetDefaultObject(this, bCreateIfNeeded); }
};

struct UTexture2D : UObject {};
struct USoundBase : UObject {};
