// opz.dat is user-writable: whatever bytes it holds, loading must not crash or read past them,
// and must leave a record that saves and loads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "options/opzioni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvalinde;
  // The exact size, so any read past the file's end is caught.
  auto* bytes = new char[size];
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(data[i]);
  std::string file(bytes, size);
  delete[] bytes;

  Opzioni record = DefaultOpzioni();
  ParseOpz(file, record);
  if (record.NumExt != static_cast<std::int16_t>(record.Ext.size())) std::abort();
  for (const std::wstring& entry : record.Ext) {
    if (entry.size() != kExtensionLength) std::abort();
  }

  std::string saved = SerializeOpz(record);
  Opzioni reloaded;
  if (!ParseOpz(saved, reloaded)) std::abort();
  if (reloaded.Associa != record.Associa || reloaded.WinStart != record.WinStart ||
      reloaded.Ext != record.Ext || SerializeOpz(reloaded) != saved) {
    std::abort();
  }
  return 0;
}
