#include "app/EditingHooks.h"

#include "app/Startup.h"
#include "editing/EditorRegistry.h"

namespace brae {

void InstallEditingHooks() {
  StartupHooks& hooks = TheStartupHooks();
  hooks.load_definitions = [] { LoadStructDefinitions("res"); };
  hooks.register_editors = RegisterEditorFactories;
}

}  // namespace brae
