#pragma once
// Module lifecycle: what the entry point runs on process attach and detach.
namespace Lockbury {
void Load();
void Unload();
}  // namespace Lockbury
