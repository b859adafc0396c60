#include "Private/Vault/VaultName.h"

#include <string>

namespace Lockbury {

FString SanitizeVaultName(const FString& name) {
    std::u16string out(name.View());
    for (char16_t& c : out) {
        const bool allowed = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!allowed) c = u'_';
    }
    return FString(std::u16string_view(out));
}

}  // namespace Lockbury
