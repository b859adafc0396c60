#include "Private/Config/Config.h"
#include "Private/Guards/BlueprintPath.h"
#include "Private/Guards/WorldSearch.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"
#include "Private/Plugin/PlayerOutput.h"
#include "Private/Text/Format.h"

namespace Lockbury {

namespace {

// Only targetable actors carry a descriptive name; any other actor the search reports shows none.
std::string DescriptiveName(AActor* actor) {
    if (!actor->IsA(APrimalTargetableActor::StaticClass())) return {};
    return static_cast<APrimalTargetableActor*>(actor)->DescriptiveNameField().ToString();
}

template <typename... Args>
void Say(AShooterPlayerController* player, const char* format, const Args&... args) {
    SendChatLine(player, ConfiguredMessage("sender"), FormatText(format, args...));
}

}  // namespace

void DumpStructures(APlayerController* controller, FString* /*command*/, bool /*fromCheat*/) {
    Guarded("Private/Dumps", "Lockbury::DumpStructures", [&] {
        auto* player = static_cast<AShooterPlayerController*>(controller);
        ConfiguredMessage("sender");  // a configuration without "messages" ends the command before any line
        if (player) Say(player, "DumpStructures");
        if (!player) return;
        AShooterCharacter* character = player->GetPlayerCharacter();
        if (!character || character->IsDead()) return;

        const FVector location = player->DefaultActorLocationField();
        const float radius = ReadRadius();

        // The searches may report an actor slot that holds no actor; it has nothing to show.
        for (AActor* actor : OctreeActors(location, radius)) {
            if (!actor) continue;
            const std::string blueprint = GetBlueprintPath(actor).ToString();
            const std::string name = actor->NameField().ToString().ToString();
            const std::string descriptive = DescriptiveName(actor);
            Say(player, "DescriptiveNameField: {}", descriptive);
            Say(player, "NameField: {}", name);
            Say(player, "BluePrint {}", blueprint);
        }
        for (AActor* actor : ContainerActors(location, radius)) {
            if (!actor) continue;
            const std::string blueprint = GetBlueprintPath(actor).ToString();
            const std::string name = actor->NameField().ToString().ToString();
            if (auto& log = GetLog()) log->info("{}", blueprint.c_str());
            Say(player, "NameField: {}", name);
            Say(player, "BluePrint {}", blueprint);
        }
    });
}

}  // namespace Lockbury
