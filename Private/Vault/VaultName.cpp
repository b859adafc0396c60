#include "Private/Vault/VaultName.h"

#include <string>

#include "Private/Text/Utf8.h"

namespace Lockbury {

FString SanitizeVaultName(const FString& name) {
    std::wstring out(Text::Units(name));
    for (wchar_t& c : out) {
        const bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
        if (!allowed) c = L'_';
    }
    return FString(out);
}

}  // namespace Lockbury
