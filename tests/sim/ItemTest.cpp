// Items of the simulated game: their bytes round-trip every field and any payload, damaged bytes
// give no item, and the inventory operations behave as the plugin relies on.
#include <gtest/gtest.h>

#include <random>

#include "support/ItemSpecs.h"
#include "support/PluginServer.h"

namespace {

using TestSupport::Spec;

std::vector<std::uint8_t> RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    return bytes;
}

UPrimalItem* Rebuild(const std::vector<std::uint8_t>& bytes) {
    TArray<unsigned char> array(bytes.data(), static_cast<int>(bytes.size()));
    return UPrimalItem::CreateFromBytes(&array);
}

class Items : public ::testing::Test {
protected:
    TestSupport::PluginServer server;
    Sim::Player& ann = server.Join("Ann", 76561198000000001ull);
};

TEST_F(Items, BytesRoundTripEveryFieldAndPayloadsOfAnySize) {
    server.AdvanceGameTime(500.25);
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{2048}, std::size_t{1} << 20}) {
        SCOPED_TRACE(size);
        Sim::ItemSpec spec = Spec("PrimalItemConsumable_RawMeat", 7);
        spec.slot = 4;
        spec.engram = true;
        spec.initial = true;
        spec.durability = 3.5f;
        spec.spoilSeconds = 90.0;
        spec.payload = RandomBytes(size, static_cast<unsigned>(size));
        const Sim::ItemView given = server.Give(ann, spec);

        TArray<unsigned char> bytes;
        given.handle->GetItemBytes(&bytes);
        ASSERT_EQ(std::vector<std::uint8_t>(begin(bytes), end(bytes)), given.bytes);

        UPrimalItem* rebuilt = UPrimalItem::CreateFromBytes(&bytes);
        ASSERT_NE(rebuilt, nullptr);
        EXPECT_NE(rebuilt, given.handle) << "a new object";
        EXPECT_NE(rebuilt->NameField().ToString().ToString(), given.objectName) << "with a new object name";
        EXPECT_EQ(Sim::IdNumber(rebuilt->ItemIDField()), Sim::IdNumber(given.id)) << "keeping the stored id";
        EXPECT_EQ(rebuilt->GetItemQuantity(), 7);
        EXPECT_EQ(rebuilt->SlotIndexField(), 4);
        EXPECT_TRUE(rebuilt->bIsEngram()());
        EXPECT_TRUE(rebuilt->bIsInitialItem()());
        EXPECT_FLOAT_EQ(rebuilt->ItemDurabilityField(), 3.5f);
        EXPECT_DOUBLE_EQ(rebuilt->CreationTimeField(), 500.25);
        EXPECT_DOUBLE_EQ(rebuilt->NextSpoilingTimeField(), 590.25);
        EXPECT_FLOAT_EQ(rebuilt->GetSpoilingTime(), 90.0f);
        EXPECT_TRUE(rebuilt->CanSpoil());

        TArray<unsigned char> again;
        rebuilt->GetItemBytes(&again);
        EXPECT_EQ(std::vector<std::uint8_t>(begin(again), end(again)), given.bytes) << "the same bytes again";
        auto decoded = Sim::Server::Decode(given.bytes);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->payload, spec.payload);
        EXPECT_EQ(decoded->className, "PrimalItemConsumable_RawMeat");
    }
    EXPECT_EQ(ann.Inventory().size(), 4u) << "rebuilt items are in no inventory";
}

TEST_F(Items, DamagedCutOrEmptyBytesGiveNoItem) {
    Sim::ItemSpec spec = Spec("PrimalItem_WeaponStoneHatchet");
    spec.payload = RandomBytes(300, 1);
    const std::vector<std::uint8_t> good = server.Give(ann, spec).bytes;
    ASSERT_NE(Rebuild(good), nullptr);

    EXPECT_EQ(Rebuild({}), nullptr);
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        ASSERT_EQ(Rebuild(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut))), nullptr)
            << "cut at " << cut;
    for (std::size_t at = 0; at < good.size(); ++at) {
        auto damaged = good;
        damaged[at] ^= 0x10;
        ASSERT_EQ(Rebuild(damaged), nullptr) << "byte " << at << " changed";
    }
    auto longer = good;
    longer.push_back(0);
    EXPECT_EQ(Rebuild(longer), nullptr);
    EXPECT_EQ(Rebuild(RandomBytes(64, 2)), nullptr);
    EXPECT_FALSE(Sim::Server::Decode(longer).has_value());
}

TEST_F(Items, AnUnserialisableItemGivesEmptyBytes) {
    Sim::ItemSpec spec = Spec("PrimalItemArmor_ClothShirt");
    spec.unserialisable = true;
    const Sim::ItemView view = server.Give(ann, spec);
    TArray<unsigned char> bytes;
    bytes.Add(1);
    view.handle->GetItemBytes(&bytes);
    EXPECT_EQ(bytes.Num(), 0);
    EXPECT_TRUE(view.bytes.empty());
}

TEST_F(Items, NewItemsGetUniqueIdsAndNamesAndClassDefaults) {
    const auto a = server.Give(ann, Spec("PrimalItemResource_Wood", 100));
    const auto b = server.Give(ann, Spec("PrimalItemResource_Wood", 5));
    const auto c = server.Give(ann, Spec("PrimalItem_WeaponStoneHatchet"));
    EXPECT_NE(Sim::IdNumber(a.id), Sim::IdNumber(b.id));
    EXPECT_NE(a.objectName, b.objectName);
    EXPECT_EQ(a.objectName.rfind("PrimalItemResource_Wood_C_", 0), 0u) << a.objectName;
    EXPECT_GT(c.durability, 0.0f);
    EXPECT_FALSE(a.canSpoil);
    EXPECT_EQ(a.handle->NameField().ToString().ToString(), a.objectName);
}

TEST_F(Items, InventoryAddRemoveAndCapacity) {
    UPrimalInventoryComponent* inventory = ann.InventoryComponent();
    ASSERT_NE(inventory, nullptr);
    ann.SetInventoryCapacity(2);
    const auto wood = server.Give(ann, Spec("PrimalItemResource_Wood", 10));
    UPrimalItem* copy = Rebuild(wood.bytes);
    EXPECT_EQ(inventory->AddItemObject(copy), copy);
    EXPECT_NE(Sim::IdNumber(copy->ItemIDField()), Sim::IdNumber(wood.id)) << "two items of one inventory never share an id";
    EXPECT_EQ(inventory->AddItemObject(copy), nullptr) << "an item is added once";
    EXPECT_EQ(inventory->AddItemObject(Rebuild(wood.bytes)), nullptr) << "full";
    EXPECT_EQ(inventory->GetCurrentNumInventoryItems(), 2);
    EXPECT_EQ(inventory->InventoryItemsField().Num(), 2);

    FItemNetID id = wood.id;
    EXPECT_TRUE(inventory->RemoveItem(&id, false, false, true, false));
    EXPECT_FALSE(inventory->RemoveItem(&id, false, false, true, false));
    EXPECT_FALSE(wood.handle->IsValidLowLevelFast(true));
    ASSERT_EQ(ann.Inventory().size(), 1u);
    EXPECT_EQ(ann.Inventory()[0].handle, copy);

    ann.RemoveInventory();
    EXPECT_EQ(ann.Controller()->GetPlayerInventoryComponent(), nullptr);
    EXPECT_FALSE(copy->IsValidLowLevelFast(true));
}

TEST_F(Items, GiveItemTakesBlueprintPathsInEveryFormTheGameUses) {
    AShooterPlayerController* pc = ann.Controller();
    for (const char* path :
         {"Blueprint'/Game/PrimalEarth/CoreBlueprints/Resources/PrimalItemResource_Stone.PrimalItemResource_Stone'",
          "/Game/PrimalEarth/CoreBlueprints/Resources/PrimalItemResource_Stone.PrimalItemResource_Stone",
          "/Game/PrimalEarth/CoreBlueprints/Resources/PrimalItemResource_Stone.PrimalItemResource_Stone_C"}) {
        SCOPED_TRACE(path);
        TArray<UPrimalItem*> out;
        FString text(path);
        ASSERT_TRUE(pc->GiveItem(&out, &text, 250, 0, false, false, 0));
        ASSERT_EQ(out.Num(), 3) << "stacks of at most 100 stone";
        EXPECT_EQ(out[0]->GetItemQuantity() + out[1]->GetItemQuantity(), 200);
        EXPECT_EQ(out[2]->GetItemQuantity(), 50);
    }
    // What does not fit is not given; a part given is still a success.
    ann.SetInventoryCapacity(static_cast<int>(ann.Inventory().size()) + 1);
    TArray<UPrimalItem*> part;
    FString stone("/Game/PrimalEarth/CoreBlueprints/Resources/PrimalItemResource_Stone.PrimalItemResource_Stone");
    ASSERT_TRUE(pc->GiveItem(&part, &stone, 250, 0, false, false, 0));
    ASSERT_EQ(part.Num(), 1);
    EXPECT_EQ(part[0]->GetItemQuantity(), 100);
    EXPECT_FALSE(pc->GiveItem(&part, &stone, 250, 0, false, false, 0)) << "nothing fits";
    ann.SetInventoryCapacity(1000);
    for (const char* path : {"Blueprint'/Game/Nowhere/Thing.Thing'", "",
                             "Blueprint'/Game/PrimalEarth/Structures/TekTier/TekTransmitter.TekTransmitter'"}) {
        TArray<UPrimalItem*> out;
        FString text(path);
        EXPECT_FALSE(pc->GiveItem(&out, &text, 1, 0, false, false, 0)) << path;
        EXPECT_EQ(out.Num(), 0);
    }
    EXPECT_EQ(ann.Inventory().size(), 10u);
    for (const auto& info : Sim::Server::Classes()) {
        if (info.kind == Sim::ClassInfo::Kind::Container || info.kind == Sim::ClassInfo::Kind::Structure) continue;
        FString text(info.blueprintPath.c_str());
        EXPECT_TRUE(pc->GiveItem(nullptr, &text, 1, 0, false, false, 0)) << info.blueprintPath;
    }
}

TEST_F(Items, SpoilingAndDurabilityOperations) {
    server.AdvanceGameTime(100);
    const auto meat = server.Give(ann, Spec("PrimalItemConsumable_RawMeat"));
    EXPECT_TRUE(meat.canSpoil);
    EXPECT_DOUBLE_EQ(meat.creationTime, 100);
    EXPECT_DOUBLE_EQ(meat.nextSpoilingTime, 100 + meat.handle->GetSpoilingTime());
    meat.handle->UpdatedItem(false);
    EXPECT_EQ(ann.Inventory()[0].updatedItemCalls, 1);

    const auto pod = server.Give(ann, Spec("PrimalItem_WeaponEmptyCryopod"));
    EXPECT_FALSE(pod.handle->CanSpoil());
    pod.handle->AddItemDurability(2.5f);
    EXPECT_FLOAT_EQ(ann.Inventory()[1].durability, pod.durability + 2.5f);
}

}  // namespace
