#pragma once
// Wires the program's parts together: the editing framework, the dialogs and the archive
// browser fill in the hooks that start-up, the root menu and the browser call. The brae
// executable calls this before RunBrae; so do tools that run the whole program.

namespace brae {

void InstallProgramHooks();

}  // namespace brae
