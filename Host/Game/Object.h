#pragma once
// Base classes of every game object. Game classes carry no data of their own here: an object
// pointer is the game's, and every member is reached by name through the host.
#include "../BasicTypes.h"

struct UClass;
struct UObject;

struct UObjectBase {
    FName& NameField() { return GetNativeField<FName>(this, "UObjectBase.Name"); }
    UClass*& ClassField() { return GetNativeField<UClass*>(this, "UObjectBase.Class"); }
    bool IsValidLowLevelFast(bool bRecursive = true) {
        return NativeCall<bool, bool>(this, "UObjectBase.IsValidLowLevelFast", bRecursive);
    }
};

struct UObjectBaseUtility : UObjectBase {
    FString GetFullName(UObject* stopOuter = nullptr) {
        FString out;
        NativeCall<void, FString*, UObject*>(this, "UObjectBaseUtility.GetFullName", &out, stopOuter);
        return out;
    }
    bool IsA(UClass* someBase) { return NativeCall<bool, UClass*>(this, "UObjectBaseUtility.IsA", someBase); }
};

struct UObject : UObjectBaseUtility {};

struct UClass : UObject {
    UObject* GetDefaultObject(bool bCreateIfNeeded) {
        return NativeCall<UObject*, bool>(this, "UClass.GetDefaultObject", bCreateIfNeeded);
    }
};

struct UTexture2D : UObject {};
struct USoundBase : UObject {};
