#pragma once
// Start-up of the tag editing framework: the structure definitions and the editor factories of
// the tag group table.

#include <cstdint>
#include <string>

namespace brae {

// Reads the definitions of the game folder, the user's and the program's (LoadDefinitionsForGame)
// into the process-wide registry.
void LoadStructDefinitions(const std::string& game_folder);
// Fills the group table's editor factories: first the structure editor for every bound group,
// then the dedicated editors, which replace those entries.
void RegisterEditorFactories();
// The groups edited by the text editor.
bool IsTextEditGroup(uint32_t group);

}  // namespace brae
