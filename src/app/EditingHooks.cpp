#include "app/EditingHooks.h"

#include "app/RootMenu.h"
#include "app/Startup.h"
#include "collection/ui/X256Edit.h"
#include "editing/EditorRegistry.h"
#include "editing/TagEdit.h"
#include "media/ui/SoundEdit.h"
#include "model/ui/GeomEdit.h"
#include "terrain/ui/DmapEdit.h"
#include "terrain/ui/DtexEdit.h"
#include "terrain/ui/MeshEdit.h"

namespace brae {

void InstallEditingHooks() {
  StartupHooks& hooks = TheStartupHooks();
  hooks.load_definitions = [] { LoadStructDefinitions(GameFolderInForce()); };
  hooks.register_editors = [] {
    RegisterEditorFactories();
    RegisterCollectionEditor();
    RegisterDtexEditor();
    RegisterMeshEditor();
    RegisterDmapEditor();
    RegisterSoundEditor();
    RegisterGeomEditor();
  };
  TheAppServices().new_detail_texture = [](int command) {
    NewDetailTexture(command == kCmdNewDtexFromClipboard);
  };
  TheAppServices().new_model_from_lwo = NewModelFromLwo;
  // "New Script" and the other "New ..." commands create the tag and open its editor.
  TheAppServices().create_and_open = [](uint32_t group, const std::string& name) {
    CreateAndOpen(group, name);
  };
}

}  // namespace brae
