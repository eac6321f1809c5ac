// What "/check" costs: the dependency walk, each file read once, as the check does it, of a
// module made here that imports 60 of the system's DLLs, and of system modules with large
// trees (Windows only: the walk reads the system's own DLLs).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pe_builder.h"
#include "registration/dependency_diagnosis.h"

namespace {

void Put(std::string& image, std::size_t at, std::uint32_t value, std::size_t width = 4) {
  for (std::size_t i = 0; i < width; ++i) image[at + i] = static_cast<char>(value >> (8 * i));
}

// A 64-bit module that imports, by no function, each of `dlls`: what a module with that many
// dependencies makes the walk read.
std::string ModuleImporting(const std::vector<std::string>& dlls) {
  std::string section(16, '\0'), descriptors;
  auto add = [&](const std::string& bytes) {
    std::uint32_t rva = 0x1000 + static_cast<std::uint32_t>(section.size());
    section += bytes;
    return rva;
  };
  for (const std::string& dll : dlls) {
    std::uint32_t thunks = add(std::string(8, '\0')), name = add(dll + '\0');
    std::string descriptor(20, '\0');
    Put(descriptor, 0, thunks);
    Put(descriptor, 12, name);
    Put(descriptor, 16, thunks);
    descriptors += descriptor;
  }
  std::uint32_t directory = add(descriptors + std::string(20, '\0'));
  std::string image(0x400, '\0');
  image[0] = 'M', image[1] = 'Z';
  Put(image, 0x3C, 0x80);
  Put(image, 0x80, 0x00004550);
  Put(image, 0x84, 0x8664, 2);
  Put(image, 0x86, 1, 2);
  Put(image, 0x94, 0xF0, 2);
  Put(image, 0x98, 0x20B, 2);
  Put(image, 0x98 + 60, 0x400);
  Put(image, 0x98 + 108, 16);
  Put(image, 0x98 + 112 + 8, directory);
  Put(image, 0x98 + 0xF0 + 12, 0x1000);
  Put(image, 0x98 + 0xF0 + 16, static_cast<std::uint32_t>(section.size()));
  Put(image, 0x98 + 0xF0 + 20, 0x400);
  return image + section;
}

// The first `count` DLLs of the system folder, by name.
std::vector<std::string> SystemDlls(const std::wstring& system, std::size_t count) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search =
      FindFirstFileA((std::string(system.begin(), system.end()) + "\\*.dll").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (names.size() < count && FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

int wmain() {
  using Clock = std::chrono::steady_clock;
  wchar_t system[MAX_PATH], temp[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  GetTempPathW(MAX_PATH, temp);
  std::wstring made = std::wstring(temp) + L"corvalinde_bench_60.dll";
  std::string image = ModuleImporting(SystemDlls(system, 60));
  if (FILE* file = _wfopen(made.c_str(), L"wb")) {
    std::fwrite(image.data(), 1, image.size(), file);
    std::fclose(file);
  }
  for (const std::wstring& module :
       {made, std::wstring(system) + L"\\mshtml.dll", std::wstring(system) + L"\\ieframe.dll"}) {
    const wchar_t* name = module.c_str() + module.find_last_of(L'\\') + 1;
    std::vector<double> times;
    std::size_t files = 0, problems = 0;
    for (int round = 0; round < 7; ++round) {
      auto start = Clock::now();
      auto report = corvalinde::WalkModuleDependencies(module);
      times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      files = report.filesRead;
      problems = report.problems.size();
    }
    double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf(
        "%ls: %zu files read, %zu problems; first %.1f ms, median of 7 %.1f ms (target: "
        "under 200 ms with 50 or more files)\n",
        name, files, problems, first, times[times.size() / 2]);
  }
  DeleteFileW(made.c_str());

  // Crafted files: each answers within a second, its message within twenty lines.
  struct Crafted {
    const wchar_t* name;
    std::size_t sections, descriptors, functions;
  };
  for (const Crafted& crafted : {Crafted{L"corvalinde_sections.dll", 65535, 1, 4096},
                                 Crafted{L"corvalinde_shared.dll", 1, 16384, 65536},
                                 Crafted{L"corvalinde_selfish.dll", 65535, 16384, 65536}}) {
    std::wstring path = std::wstring(temp) + crafted.name;
    std::wstring wideName(crafted.name);
    std::string bytes =
        corvalinde::testing::CraftedImage(crafted.sections, crafted.descriptors, crafted.functions,
                                          std::string(wideName.begin(), wideName.end()));
    if (FILE* file = _wfopen(path.c_str(), L"wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
    auto start = Clock::now();
    auto report = corvalinde::WalkModuleDependencies(path);
    std::wstring lines = corvalinde::DependencyLines(report.problems);
    double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf(
        "%ls (%zu sections, %zu descriptors, %zu functions): %zu problems, %zu lines "
        "told, %.0f ms (target: under 1000 ms)\n",
        crafted.name, crafted.sections, crafted.descriptors, crafted.functions,
        report.problems.size(),
        static_cast<std::size_t>(std::count(lines.begin(), lines.end(), L'\n')), took);
    DeleteFileW(path.c_str());
  }
  return 0;
}
