#pragma once
// Crash safety ("crashSafe"): every vault move is journaled with the move, world saves tell the
// journal which moves the world on disk holds, and at a restart the moves the restored world does
// not hold are undone before any vault command runs. Off, none of this runs.
struct AShooterPlayerController;

namespace Lockbury::CrashSafety {

// At load, once the store is open: learns which world the server runs and recovers the journal.
void Start();
// At unload: moves no world save holds would be undone by the next load, which cannot tell a
// reload over the running world from a restart; the world is saved first. Never throws.
void Stop();
// Asked by every vault command before it uses the store: true when crash safety is off or the
// recovery has run. A recovery that failed is tried again here, at most once per
// reconnectInterval. The player's own unwinds still to apply are applied first.
bool VaultReady(AShooterPlayerController* player);

}  // namespace Lockbury::CrashSafety
