#include "Private/Combat/DamageHook.h"

#include "Private/Combat/DamageRecords.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Plugin/Handlers.h"

namespace Lockbury {

TakeDamageFn APrimalCharacter_TakeDamage_game = nullptr;

float Hook_APrimalCharacter_TakeDamage(APrimalCharacter* character, float damage, FDamageEvent* damageEvent,
                                       AController* instigator, AActor* causer) {
    // A failure while stamping must not cost the game its damage: the game function runs anyway.
    Guarded("Private/Combat", "Lockbury::Hook_APrimalCharacter_TakeDamage", [&] {
        if (character && character->IsA(AShooterCharacter::GetPrivateStaticClass())) {
            // A player's character is not always driven by a player's controller.
            AController* controller = character->GetCharacterController();
            if (controller && controller->IsA(AShooterPlayerController::StaticClass()))
                RecordDamage(static_cast<AShooterPlayerController*>(controller));
        }
        if (instigator && instigator->IsA(AShooterPlayerController::StaticClass())) {
            RecordDamage(static_cast<AShooterPlayerController*>(instigator));
        }
    });
    float result = 0.0f;
    Guarded("Private/Combat", "Lockbury::Hook_APrimalCharacter_TakeDamage",
            [&] { result = APrimalCharacter_TakeDamage_game(character, damage, damageEvent, instigator, causer); });
    return result;
}

}  // namespace Lockbury
