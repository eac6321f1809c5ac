// The settings record and its file, opz.dat: fixed 128-byte records, little-endian 16-bit
// fields, each extension as 50 ANSI characters padded with blanks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "options/extension_name.h"

namespace corvalinde {

// Booleans are stored as -1 (set) and 0 (clear); a value read from the file is kept as read.
struct Opzioni {
  std::int16_t Associa = 0;
  std::int16_t WinStart = 0;
  std::int16_t NumExt = 0;        // always Ext.size()
  std::vector<std::wstring> Ext;  // each exactly kExtensionLength characters

  bool operator==(const Opzioni&) const = default;
};

// An extension as the record holds it: cut or padded with blanks to 50 characters.
std::wstring FixedExtension(const std::wstring& extension);
// An entry as its users take it: without leading and trailing blanks.
std::wstring TrimmedExtension(const std::wstring& entry);

Opzioni DefaultOpzioni();

// The file's bytes for a record, and back. Parsing keeps whatever it cannot read from `record`
// and says false: a file shorter than its count gives the entries that are whole; a negative
// count leaves the list as it was; an entry that is not a valid extension name is left out.
// The record always stays one that SerializeOpz can write.
std::string SerializeOpz(const Opzioni& record);
bool ParseOpz(const std::string& bytes, Opzioni& record);

// Fills `record` from the file, or with the defaults when there is no file (true). False when
// the file cannot be read whole or held names that were left out. Nothing is written.
bool LoadOpz(const std::wstring& path, Opzioni& record);
// Replaces the file with the record; a failure leaves the earlier file whole and gives the
// system's error code in `error` (when given).
bool SaveOpz(const std::wstring& path, const Opzioni& record, std::uint32_t* error = nullptr);

}  // namespace corvalinde
