#include "browser/module_catalogue.h"

#include "browser/catalogue_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/ansi.h"
#include "platform/inmemory/memory_registry.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/registry_key.h"
#include "platform/registry_text.h"
#include "platform/utf8.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace corvalinde {
namespace {

using namespace platform;

// frmProgress and the list, recording what the catalogue did to them.
struct RecordingProgress final : ProgressWindow, ListDrawing {
  void Show() override { visible = true; }
  void Hide() override { visible = false; }
  void SetCaption(const std::wstring& text) override { captions.push_back(text); }
  void SetRange(std::int64_t low, std::int64_t high) override { range = {low, high}; }
  void SetPosition(std::int64_t at) override { position = at; }
  void Repaint() override { ++repaints; }
  void SetRedraw(bool on) override { redraw = on; }

  bool visible = false, redraw = true;
  std::vector<std::wstring> captions;
  std::pair<std::int64_t, std::int64_t> range;
  std::int64_t position = 0;
  int repaints = 0;
};

class Catalogue : public ::testing::Test {
 protected:
  void Set(const std::wstring& path, const std::wstring& text, std::wstring_view name = {},
           std::uint32_t type = kRegSz) {
    RegistryKey key(registry_);
    ASSERT_EQ(key.Create(kHkeyClassesRoot, path, kKeyAllAccess), kRegSuccess);
    std::vector<std::uint8_t> bytes = ToRegistryText(text);
    registry_.SetValue(key.get(), name, type, bytes.data(),
                       static_cast<std::uint32_t>(bytes.size()));
  }
  void ProgId(const std::wstring& name, const std::wstring& clsid) {
    Set(name, L"Nome di " + name);
    Set(name + L"\\CLSID", clsid);
  }
  void Load() { catalogue_.Load(registry_, progress_, progress_, boxes_); }
  std::vector<std::wstring> Column(CatalogueColumn column) {
    std::vector<std::wstring> cells;
    for (const CatalogueRow& row : catalogue_.Rows()) cells.push_back(row[column]);
    return cells;
  }

  inmemory::MemoryRegistry registry_;
  RecordingProgress progress_;
  inmemory::RecordingMessageBoxes boxes_;
  ModuleCatalogue catalogue_;
};

TEST_F(Catalogue, OneRowPerIdentifierThatNamesAClass) {
  ProgId(L"Zeta.Server", L"{B}");
  // A path longer than the registry class's first read (256 bytes) shows whole.
  const std::wstring longServer = L"C:\\" + std::wstring(300, L's') + L"\\server.exe /automation";
  Set(L"CLSID\\{B}\\LocalServer32", L"  " + longServer + L"  ");
  ProgId(L"alfa.Module", L"{A}");
  Set(L"CLSID\\{A}\\InProcServer32", L"%SystemRoot%\\alfa.dll", {}, kRegExpandSz);
  Set(L"CLSID\\{A}\\InProcServer32", L"Apartment", L"ThreadingModel");
  Set(L"CLSID\\{A}\\Version", L"1.0");
  Set(L"CLSID\\{A}\\VersionIndependentProgID", L"alfa.Module");
  ProgId(L"Blank.Clsid", L"   ");
  Set(L"NoClsid", L"nessuno");
  ProgId(L"Orphan.Class", L"{NON-REGISTRATA}");
  registry_.DefineEnvironmentVariable(L"SystemRoot", L"C:\\Windows");
  // Registered for this user only: the class is in the user's classes.
  RegistryKey user(registry_);
  ASSERT_EQ(user.Create(kHkeyCurrentUser, L"Software\\Classes\\CLSID\\{A}", kKeyAllAccess),
            kRegSuccess);

  Load();
  ASSERT_EQ(catalogue_.Rows().size(), 3u);
  EXPECT_EQ(Column(kColumnId), (std::vector<std::wstring>{L"1", L"2", L"3"}));
  EXPECT_EQ(Column(kColumnClassName),
            (std::vector<std::wstring>{L"alfa.Module", L"Orphan.Class", L"Zeta.Server"}));
  const CatalogueRow& alfa = catalogue_.Rows()[0];
  EXPECT_EQ(alfa[kColumnNome], L"Nome di alfa.Module");
  EXPECT_EQ(alfa[kColumnClassId], L"{A}");
  EXPECT_EQ(alfa[kColumnEseguibile], L"");
  EXPECT_EQ(alfa[kColumnNomeModulo], L"C:\\Windows\\alfa.dll");
  EXPECT_EQ(alfa[kColumnThreadingModel], L"Apartment");
  EXPECT_EQ(alfa[kColumnVersione], L"1.0");
  EXPECT_EQ(alfa[kColumnVindProgId], L"alfa.Module");
  const CatalogueRow& orphan = catalogue_.Rows()[1];
  for (std::size_t column = kColumnEseguibile; column < kColumnAmbito; ++column) {
    EXPECT_EQ(orphan[column], L"") << column;
  }
  EXPECT_EQ(orphan[kColumnAmbito], L"macchina");
  EXPECT_EQ(alfa[kColumnAmbito], L"utente");
  const CatalogueRow& server = catalogue_.Rows()[2];
  EXPECT_EQ(server[kColumnEseguibile], longServer);
  EXPECT_EQ(server[kColumnNomeModulo], L"");
  EXPECT_EQ(server[kColumnThreadingModel], L"");
  EXPECT_EQ(catalogue_.Caption(), L"Lista moduli registrati ( Numero moduli :3 )");
  EXPECT_EQ(catalogue_.Selected(), std::optional<std::size_t>(0));
}

TEST_F(Catalogue, TheProgressRunsOverEveryKeyAndTheLoadEndsClean) {
  for (int i = 0; i < 7; ++i) ProgId(L"Chiave" + std::to_wstring(i), i % 2 ? L"{X}" : L"");
  Load();
  EXPECT_EQ(progress_.captions.front(), L"Caricamento moduli in corso ...( 0% completato )");
  EXPECT_EQ(progress_.captions.back(), L"Caricamento moduli in corso ...( 100% completato )");
  // Written only when the text changes: 0, then one per key here (14%, 29%, ... 100%).
  EXPECT_EQ(progress_.captions.size(), 8u);
  EXPECT_EQ(progress_.captions[1], L"Caricamento moduli in corso ...( 14% completato )");
  EXPECT_EQ(progress_.range, (std::pair<std::int64_t, std::int64_t>{0, 7}));
  EXPECT_EQ(progress_.position, 7);
  EXPECT_EQ(progress_.repaints, 1);
  EXPECT_FALSE(progress_.visible);
  EXPECT_TRUE(progress_.redraw);

  Load();  // Refresh: numbered from 1 again
  EXPECT_EQ(Column(kColumnId), (std::vector<std::wstring>{L"1", L"2", L"3"}));
}

TEST_F(Catalogue, NoRowLimitOf32767) {
  for (int i = 0; i < 32800; ++i) ProgId(L"P" + std::to_wstring(100000 + i), L"{C}");
  Load();
  EXPECT_EQ(catalogue_.Rows().size(), 32800u);
  EXPECT_EQ(catalogue_.Rows().back()[kColumnId], L"32800");
  EXPECT_EQ(catalogue_.Caption(), L"Lista moduli registrati ( Numero moduli :32800 )");
}

// A registry whose enumeration breaks down part-way.
class FailingEnumeration final : public Registry {
 public:
  explicit FailingEnumeration(Registry& inner) : inner_(inner) {}
  std::int32_t OpenKey(RegKey p, std::wstring_view s, std::uint32_t a, RegKey& o) override {
    return inner_.OpenKey(p, s, a, o);
  }
  std::int32_t CreateKey(RegKey p, std::wstring_view s, std::uint32_t a, RegKey& o) override {
    return inner_.CreateKey(p, s, a, o);
  }
  std::int32_t CloseKey(RegKey k) override { return inner_.CloseKey(k); }
  std::int32_t SetValue(RegKey k, std::wstring_view n, std::uint32_t t, const std::uint8_t* d,
                        std::uint32_t s) override {
    return inner_.SetValue(k, n, t, d, s);
  }
  std::int32_t QueryValue(RegKey k, std::wstring_view n, std::uint32_t* t, std::uint8_t* d,
                          std::uint32_t* s) override {
    return inner_.QueryValue(k, n, t, d, s);
  }
  std::int32_t DeleteValue(RegKey k, std::wstring_view n) override {
    return inner_.DeleteValue(k, n);
  }
  std::int32_t DeleteKey(RegKey p, std::wstring_view s) override { return inner_.DeleteKey(p, s); }
  std::int32_t DeleteOpenKey(RegKey k) override { return inner_.DeleteOpenKey(k); }
  std::int32_t EnumKey(RegKey k, std::uint32_t i, wchar_t* n, std::uint32_t* s) override {
    if (i == 1) throw std::runtime_error("out of memory");
    return inner_.EnumKey(k, i, n, s);
  }
  std::int32_t EnumValue(RegKey k, std::uint32_t i, wchar_t* n, std::uint32_t* s) override {
    return inner_.EnumValue(k, i, n, s);
  }
  std::int32_t QueryInfoKey(RegKey k, RegKeyInfo& info) override {
    return inner_.QueryInfoKey(k, info);
  }
  std::uint32_t ExpandEnvironment(const wchar_t* s, wchar_t* d, std::uint32_t n) override {
    return inner_.ExpandEnvironment(s, d, n);
  }

 private:
  Registry& inner_;
};

TEST_F(Catalogue, ARegistryFailureIsShownAndTheListStaysAsItWas) {
  ProgId(L"A.Uno", L"{1}");
  ProgId(L"B.Due", L"{2}");
  Load();
  ASSERT_EQ(catalogue_.Rows().size(), 2u);
  FailingEnumeration failing(registry_);
  catalogue_.Load(failing, progress_, progress_, boxes_);
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].title, L"Corvalinde");
  EXPECT_EQ(boxes_.Shown()[0].icon, MessageIcon::Information);
  EXPECT_EQ(
      boxes_.Shown()[0].text,
      L"Impossibile ottenere le informazioni richieste da HKEY_CLASSES_ROOT\r\nout of memory");
  EXPECT_EQ(catalogue_.Rows().size(), 2u);
  EXPECT_FALSE(progress_.visible);
  EXPECT_TRUE(progress_.redraw);
}

class Search : public Catalogue {
 protected:
  void SetUp() override {
    const wchar_t* modules[] = {L"C:\\a\\uno.dll", L"", L"C:\\b\\DUE.ocx", L"C:\\c\\tre.dll"};
    for (int i = 0; i < 4; ++i) {
      std::wstring clsid = L"{" + std::to_wstring(i) + L"}";
      ProgId(L"Mod" + std::to_wstring(i), clsid);
      if (*modules[i]) Set(L"CLSID\\" + clsid + L"\\InProcServer32", modules[i]);
    }
    Set(L"CLSID\\{3}\\LocalServer32", L"C:\\c\\tre.exe");
    Load();
  }
  std::wstring Find(SearchColumn column, const std::wstring& key) {
    boxes_ = {};
    catalogue_.Find(column, key, progress_, boxes_);
    return boxes_.Shown().size() == 1
               ? boxes_.Shown()[0].text
               : L"(messages: " + std::to_wstring(boxes_.Shown().size()) + L")";
  }
};

TEST_F(Search, FindsFromTheSelectedRowIgnoringLetterCase) {
  EXPECT_EQ(Find(SearchColumn::Module, L"due"), L"Occorrenza trovata (Posizione 3)");
  EXPECT_EQ(boxes_.Shown()[0].title, L"Risultato ricerca");
  EXPECT_EQ(catalogue_.Selected(), std::optional<std::size_t>(2));
  EXPECT_FALSE(progress_.visible);
  // Again without moving: the same row; a match above the selection is not found.
  EXPECT_EQ(Find(SearchColumn::Module, L"DUE"), L"Occorrenza trovata (Posizione 3)");
  EXPECT_EQ(Find(SearchColumn::Module, L"uno"), L"Nessuna occorrenza trovata");
  catalogue_.Select(0);
  EXPECT_EQ(Find(SearchColumn::Module, L"UNO.DLL"), L"Occorrenza trovata (Posizione 1)");
}

TEST_F(Search, ColumnsEmptyKeysAndEmptyCells) {
  EXPECT_EQ(Find(SearchColumn::Executable, L"uno"), L"Nessuna occorrenza trovata");
  EXPECT_EQ(Find(SearchColumn::Executable, L"tre"), L"Occorrenza trovata (Posizione 4)");
  catalogue_.Select(1);
  // An empty key stops at the first non-empty cell; the empty module cell of row 2 is skipped.
  EXPECT_EQ(Find(SearchColumn::Module, L""), L"Occorrenza trovata (Posizione 3)");
  EXPECT_EQ(progress_.captions.back(), L"Ricerca in corso... (50% completata)");
}

// Sorted, the list keeps each row's ID, and the search runs down the order shown.
TEST_F(Search, SortFilterAndTheSearchFollowTheOrderShown) {
  catalogue_.SortBy(kColumnNomeModulo);  // "", C:\a\uno, C:\b\DUE, C:\c\tre
  EXPECT_EQ(catalogue_.Shown(), (std::vector<std::size_t>{1, 0, 2, 3}));
  catalogue_.SortBy(kColumnNomeModulo);
  EXPECT_TRUE(catalogue_.SortDescending());
  EXPECT_EQ(catalogue_.Shown(), (std::vector<std::size_t>{3, 2, 0, 1}));
  catalogue_.Select(2);  // shown second: "uno", below it, is found; "tre", above, is not
  EXPECT_EQ(Find(SearchColumn::Module, L"uno"), L"Occorrenza trovata (Posizione 1)");
  catalogue_.Select(2);
  EXPECT_EQ(Find(SearchColumn::Module, L"tre"), L"Nessuna occorrenza trovata");

  catalogue_.SetFilter(L"b\\due", false);  // any column, letter case ignored
  EXPECT_EQ(catalogue_.Shown(), std::vector<std::size_t>{2});
  // The list asks by position: the one row shown, and nothing past it or past the columns.
  EXPECT_EQ(catalogue_.Cell(0, kColumnNomeModulo), L"C:\\b\\DUE.ocx");
  EXPECT_EQ(catalogue_.Cell(1, kColumnNomeModulo), L"");
  EXPECT_EQ(catalogue_.Cell(0, kColumnCount), L"");
  EXPECT_EQ(catalogue_.RowAt(0), 2u);
  EXPECT_EQ(catalogue_.PositionOf(3), std::nullopt);
  EXPECT_EQ(catalogue_.Caption(), L"Lista moduli registrati ( Numero moduli :1 di 4 )");
  catalogue_.SetFilter(L"", true);
  EXPECT_TRUE(catalogue_.Shown().empty());
  catalogue_.SetFileFacts({{3, FileState::Missing, L"file mancante", L"", L""},
                           {0, FileState::Present, L"64 bit", L"2.0.1.7", L"Ditta"}});
  EXPECT_EQ(catalogue_.Shown(), std::vector<std::size_t>{3});
  catalogue_.SetFilter(L"", false);
  EXPECT_EQ(catalogue_.Caption(), L"Lista moduli registrati ( Numero moduli :4 )");

  catalogue_.SortBy(kColumnId);  // numbers, not text: 10 after 9; the sort outlives a reload
  for (int i = 4; i < 11; ++i) ProgId(L"Altro" + std::to_wstring(i), L"{X}");
  Load();
  EXPECT_EQ(catalogue_.Rows()[catalogue_.Shown().back()][kColumnId], L"11");
}

TEST_F(Search, RowsCopyAsTabsAndExportAsQuotedCsv) {
  Set(L"CLSID\\{0}\\Version", L"1,\"2\"");
  Load();
  std::wstring text = RowsAsText(catalogue_, {0});
  EXPECT_EQ(text.substr(0, text.find(L"\r\n")),
            L"ID\tNome\tClassName\tClassID\tEseguibile\tNome modulo\tThreding model\tVersione\t"
            L"V.ind Prog ID\tStato\tAmbito\tVersione file\tProduttore");
  EXPECT_EQ(text.substr(text.find(L"\r\n") + 2),
            L"1\tNome di Mod0\tMod0\t{0}\t\tC:\\a\\uno.dll\t\t1,\"2\"\t\t\tmacchina\t\t\r\n");
  std::string csv = RowsAsCsv(catalogue_, {0});
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(
      csv.find("\r\n1,Nome di Mod0,Mod0,{0},,C:\\a\\uno.dll,,\"1,\"\"2\"\"\",,,macchina,,\r\n"),
      std::string::npos)
      << csv;
  EXPECT_EQ(platform::Utf8(L"è\u20AC"), "\xC3\xA8\xE2\x82\xAC");
}

TEST_F(Search, AnEmptyListFindsNothing) {
  ModuleCatalogue empty;
  boxes_ = {};
  empty.Find(SearchColumn::Module, L"x", progress_, boxes_);
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].text, L"Nessuna occorrenza trovata");
  EXPECT_FALSE(progress_.visible);
}

TEST(CatalogueColumns, HeadersAndWidthsAsTheWindowShowsThem) {
  std::vector<std::wstring> headers;
  int width = 0;
  for (const ColumnSpec& column : CatalogueColumns()) {
    headers.emplace_back(column.header);
    width += column.widthTwips;
  }
  EXPECT_EQ(headers, (std::vector<std::wstring>{L"ID", L"Nome", L"ClassName", L"ClassID",
                                                L"Eseguibile", L"Nome modulo", L"Threding model",
                                                L"Versione", L"V.ind Prog ID", L"Stato", L"Ambito",
                                                L"Versione file", L"Produttore"}));
  EXPECT_EQ(width, 17060);
}

#ifdef _WIN32
// An independent reading of the real HKEY_CLASSES_ROOT with the wide registry calls.
std::wstring ReadText(const std::wstring& path, const wchar_t* name = nullptr) {
  DWORD type = 0, size = 0;
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_ANY, &type, nullptr, &size)) {
    return L"";
  }
  std::vector<BYTE> data(size + sizeof(wchar_t));
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_ANY, &type, data.data(), &size)) {
    return L"";
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) return reinterpret_cast<const wchar_t*>(data.data());
  if (type == REG_DWORD)
    return std::to_wstring(*reinterpret_cast<const std::int32_t*>(data.data()));
  return L"(other)";
}

std::wstring Trim(const std::wstring& text) {
  std::size_t first = text.find_first_not_of(L' ');
  return first == std::wstring::npos ? L""
                                     : text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

TEST(RealCatalogue, MatchesAnIndependentReadingRowForRow) {
  std::vector<CatalogueRow> expected;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(HKEY_CLASSES_ROOT, i, name, &length, nullptr, nullptr, nullptr, nullptr)) {
      break;
    }
    std::wstring key = name;
    std::wstring clsid = Trim(ReadText(key + L"\\CLSID"));
    if (clsid.empty()) continue;
    std::wstring cls = L"CLSID\\" + clsid;
    HKEY own = nullptr;
    bool user = RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\" + cls).c_str(), 0,
                              KEY_READ, &own) == ERROR_SUCCESS;
    if (own) RegCloseKey(own);
    expected.push_back(
        {std::to_wstring(expected.size() + 1), ReadText(key), Trim(key), clsid,
         Trim(ReadText(cls + L"\\LocalServer32")), Trim(ReadText(cls + L"\\InProcServer32")),
         Trim(ReadText(cls + L"\\InProcServer32", L"ThreadingModel")),
         Trim(ReadText(cls + L"\\Version")), Trim(ReadText(cls + L"\\VersionIndependentProgID")),
         L"", user ? L"utente" : L"macchina"});
  }
  ASSERT_GT(expected.size(), 10u) << "a Wine prefix registers many classes";

  auto registry = MakeSystemRegistry();
  RecordingProgress progress;
  inmemory::RecordingMessageBoxes boxes;
  ModuleCatalogue catalogue;
  catalogue.Load(*registry, progress, progress, boxes);
  EXPECT_TRUE(boxes.Shown().empty());
  ASSERT_EQ(catalogue.Rows().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(catalogue.Rows()[i], expected[i]) << "row " << i + 1;
  }

  // The export, read back as a spreadsheet would, holds the same cells.
  std::string csv = RowsAsCsv(catalogue, catalogue.Shown());
  std::vector<std::vector<std::string>> records(1);
  std::string field;
  bool quoted = false;
  for (std::size_t i = 3; i < csv.size(); ++i) {  // after the byte-order mark
    char c = csv[i];
    if (quoted) {
      if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"')
        field += csv[++i];
      else if (c == '"')
        quoted = false;
      else
        field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      records.back().push_back(std::move(field)), field.clear();
    } else if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
      records.back().push_back(std::move(field)), field.clear();
      records.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  records.pop_back();  // after the last line's CRLF
  ASSERT_EQ(records.size(), expected.size() + 1);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    std::vector<std::string> cells;
    for (const std::wstring& cell : expected[i]) cells.push_back(platform::Utf8(cell));
    ASSERT_EQ(records[i + 1], cells) << "row " << i + 1;
  }
}
#endif

}  // namespace
}  // namespace corvalinde
