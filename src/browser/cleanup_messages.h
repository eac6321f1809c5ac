// What the browser's clean-up says: the question before a removal or a restore, and how it
// went. Portable: the window shows them in its boxes.
#pragma once

#include <string>

#include "browser/orphan_removal.h"
#include "registry/classes_file.h"
#include "registry/reg_file.h"

namespace corvalinde {

// Why a file was refused or a writing stopped, and where: ", riga 12: riga non valida".
std::wstring RegFileErrorText(const RegFileError& error);

std::wstring RemovalQuestion(const RemovalPlan& plan);
// When the look again left no class to remove.
std::wstring NothingToRemove(const RemovalPlan& plan);
std::wstring BackupFailure(const Backup& backup);
// After the removal ran (`done`) from the backup written first.
// "Rimosse n classi (k chiavi)" counts what was removed.
std::wstring RemovalReport(const Backup& backup, const ClassesDone& done);

std::wstring RestoreQuestion(const std::wstring& path, const ClassesFile& file);
// A file that cannot be read, or that is refused (nothing written).
std::wstring RestoreRefusal(const std::wstring& path, const std::optional<RegFileError>& error);
std::wstring RestoreReport(const std::wstring& path, const ClassesDone& done);

}  // namespace corvalinde
