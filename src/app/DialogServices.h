#pragma once
// Connects the root menu's questions for folders and files to the file dialogs.

namespace brae {

void InstallDialogServices();

}  // namespace brae
