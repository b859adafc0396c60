#pragma once
// Every game name the plugin reaches, with the signature it is called with: each line of the
// table (GameNameTable.h), none written again. The simulator must register each one with exactly
// this signature; a test checks that all of them resolve.
#include <vector>

#include "ArkApi.h"

namespace GameNames {

using Kind = ArkApi::NameKind;

struct Entry {
    const char* name;
    Kind kind;
    const char* signature;  // empty for bit fields

    template <typename Name>
    static Entry Of(const Name& entry) {
        return {entry.name, Name::kKind, Name::Signature()};
    }
};

inline std::vector<Entry> All() {
#define LOCKBURY_GAME_ENTRY(cls, member, ...) Entry::Of(cls##_##member),
    return {LOCKBURY_GAME_NAMES(LOCKBURY_GAME_ENTRY, LOCKBURY_GAME_ENTRY, LOCKBURY_GAME_ENTRY)};
#undef LOCKBURY_GAME_ENTRY
}

}  // namespace GameNames
