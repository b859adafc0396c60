#pragma once
#include "Object.h"

struct UPrimalItem : UObject {
    int32& SlotIndexField() { return GetNativeField<int32>(this, "UPrimalItem.SlotIndex"); }
    FItemNetID& ItemIDField() { return GetNativeField<FItemNetID>(this, "UPrimalItem.ItemID"); }
    float& ItemDurabilityField() { return GetNativeField<float>(this, "UPrimalItem.ItemDurability"); }
    double& CreationTimeField() { return GetNativeField<double>(this, "UPrimalItem.CreationTime"); }
    double& NextSpoilingTimeField() { return GetNativeField<double>(this, "UPrimalItem.NextSpoilingTime"); }
    bool bIsEngram() { return GetBitField(this, "UPrimalItem.bIsEngram"); }
    bool bIsInitialItem() { return GetBitField(this, "UPrimalItem.bIsInitialItem"); }

    int GetItemQuantity() { return NativeCall<int>(this, "UPrimalItem.GetItemQuantity"); }
    void GetItemBytes(TArray<unsigned char>* bytes) {
        NativeCall<void, TArray<unsigned char>*>(this, "UPrimalItem.GetItemBytes", bytes);
    }
    void AddItemDurability(float amount) { NativeCall<void, float>(this, "UPrimalItem.AddItemDurability", amount); }
    bool CanSpoil() { return NativeCall<bool>(this, "UPrimalItem.CanSpoil"); }
    float GetSpoilingTime() { return NativeCall<float>(this, "UPrimalItem.GetSpoilingTime"); }
    void UpdatedItem(bool resetUploadTime) { NativeCall<void, bool>(this, "UPrimalItem.UpdatedItem", resetUploadTime); }

    // Rebuilds an item from its bytes; null when the bytes hold no item.
    static UPrimalItem* CreateFromBytes(TArray<unsigned char>* bytes) {
        return NativeCallStatic<UPrimalItem*, TArray<unsigned char>*>("UPrimalItem.CreateFromBytes", bytes);
    }
};

struct UActorComponent : UObject {};

struct UPrimalInventoryComponent : UActorComponent {
    TArray<UPrimalItem*>& InventoryItemsField() {
        return GetNativeField<TArray<UPrimalItem*>>(this, "UPrimalInventoryComponent.InventoryItems");
    }
    bool RemoveItem(FItemNetID* itemId, bool bDoDrop, bool bSecondryAction, bool bForceRemoval, bool showHUDMessage) {
        return NativeCall<bool, FItemNetID*, bool, bool, bool, bool>(
            this, "UPrimalInventoryComponent.RemoveItem", itemId, bDoDrop, bSecondryAction, bForceRemoval, showHUDMessage);
    }
    // Adds the item; the added item, or null.
    UPrimalItem* AddItemObject(UPrimalItem* item) {
        return NativeCall<UPrimalItem*, UPrimalItem*>(this, "UPrimalInventoryComponent.AddItemObject", item);
    }
    int GetCurrentNumInventoryItems() {
        return NativeCall<int>(this, "UPrimalInventoryComponent.GetCurrentNumInventoryItems");
    }
};
