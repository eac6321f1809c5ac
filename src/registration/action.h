// What a run does. The engine registers or unregisters a module; a host started for the
// browser's clean-up has two actions of its own, on a .reg file of classes instead of a module.
#pragma once

namespace corvalinde {

enum class Action { Register, Unregister };

enum class ClassesAction { Remove, Restore };

}  // namespace corvalinde
