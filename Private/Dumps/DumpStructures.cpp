#include "Private/Config/Config.h"
#include "Private/Guards/BlueprintPath.h"
#include "Private/Guards/WorldSearch.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"
#include "Private/Plugin/Log.h"

// On Windows spdlog brings in windows.h, whose winuser.h makes GetMessage a macro for the Win32
// GetMessageA/GetMessageW: the plugin's own Lockbury::GetMessage is meant here.
#ifdef GetMessage
#undef GetMessage
#endif

namespace Lockbury {

namespace {

// Only targetable actors carry a descriptive name; any other actor the search reports shows none.
std::string DescriptiveName(AActor* actor) {
    if (!actor->IsA(APrimalTargetableActor::StaticClass())) return {};
    return static_cast<APrimalTargetableActor*>(actor)->DescriptiveNameField().ToString();
}

template <typename... Args>
void Say(AShooterPlayerController* player, const char* format, Args&&... args) {
    ArkApi::GetApiUtils().SendChatMessage(player, GetMessage("sender"), format, std::forward<Args>(args)...);
}

}  // namespace

void DumpStructures(APlayerController* controller, FString* /*command*/, bool /*fromCheat*/) {
    Guarded("Private/Dumps", "Lockbury::DumpStructures", [&] {
        auto* player = static_cast<AShooterPlayerController*>(controller);
        GetMessage("sender");  // a configuration without "messages" ends the command before any line
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
            if (auto& log = GetLog()) log->info("{}", blueprint);
            Say(player, "NameField: {}", name);
            Say(player, "BluePrint {}", blueprint);
        }
    });
}

}  // namespace Lockbury
