#pragma once
// The damage hook: every hit of every creature passes through it on the game thread.
namespace Bench {

struct HookCost {
    double hooked = 0;  // ns per player-against-player hit with the plugin's hook in front
    double unhooked = 0;  // ns per player-against-player hit straight to the game function
    double creatureHooked = 0;  // the same for a creature hitting a creature (the commonest hit)
    double creatureUnhooked = 0;
    double records = 0;  // ns per update of a player's record alone (the part that grows with players)
};

// A simulated server (no database needed: the plugin loads without one) with `players` players
// already recorded; medians over `runs` samples of `calls` player-against-player hits each.
HookCost MeasureDamageHook(int players, int calls, int runs);

}  // namespace Bench
