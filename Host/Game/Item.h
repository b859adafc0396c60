#pragma once
#include "Object.h"

struct UPrimalItem : UObject {
    int32& SlotIndexField() { return GameNames::UPrimalItem_SlotIndex.Of(this); }
    FItemNetID& ItemIDField() { return GameNames::UPrimalItem_ItemID.Of(this); }
    float& ItemDurabilityField() { return GameNames::UPrimalItem_ItemDurability.Of(this); }
    long double& CreationTimeField() { return GameNames::UPrimalItem_CreationTime.Of(this); }
    long double& NextSpoilingTimeField() { return GameNames::UPrimalItem_NextSpoilingTime.Of(this); }
    BitFieldValue<bool, unsigned int> bIsEngram() { return {this, GameNames::UPrimalItem_bIsEngram}; }
    BitFieldValue<bool, unsigned int> bIsInitialItem() { return {this, GameNames::UPrimalItem_bIsInitialItem}; }

    int GetItemQuantity() { return GameNames::UPrimalItem_GetItemQuantity(this); }
    void GetItemBytes(TArray<unsigned char>* bytes) { GameNames::UPrimalItem_GetItemBytes(this, bytes); }
    void AddItemDurability(float amount) { GameNames::UPrimalItem_AddItemDurability(this, amount); }
    bool CanSpoil() { return GameNames::UPrimalItem_CanSpoil(this); }
    float GetSpoilingTime() { return GameNames::UPrimalItem_GetSpoilingTime(this); }
    void UpdatedItem(bool resetUploadTime) { GameNames::UPrimalItem_UpdatedItem(this, resetUploadTime); }

    // Rebuilds an item from its bytes; null when the bytes hold no item.
    static UPrimalItem* CreateFromBytes(TArray<unsigned char>* bytes) {
        return GameNames::UPrimalItem_CreateFromBytes(bytes);
    }
};

struct UActorComponent : UObject {};

struct UPrimalInventoryComponent : UActorComponent {
    // A copy, as the framework declares it.
    TArray<UPrimalItem*> InventoryItemsField() { return GameNames::UPrimalInventoryComponent_InventoryItems.Of(this); }
    bool RemoveItem(FItemNetID* itemId, bool bDoDrop, bool bSecondryAction, bool bForceRemoval, bool showHUDMessage) {
        return GameNames::UPrimalInventoryComponent_RemoveItem(this, itemId, bDoDrop, bSecondryAction, bForceRemoval,
                                                               showHUDMessage);
    }
    // Adds the item; the added item, or null.
    UPrimalItem* AddItemObject(UPrimalItem* item) { return GameNames::UPrimalInventoryComponent_AddItemObject(this, item); }
    int GetCurrentNumInventoryItems() { return GameNames::UPrimalInventoryComponent_GetCurrentNumInventoryItems(this); }
};
