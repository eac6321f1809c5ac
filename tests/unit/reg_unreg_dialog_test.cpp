#include "registration/reg_unreg_dialog.h"

#include <gtest/gtest.h>

#include "platform/inmemory/recording_dialogs.h"
#include "platform/inmemory/recording_message_boxes.h"
#include "platform/system_errors.h"
#include "recording_results.h"
#include "scripted_registrar.h"
#include "test_support.h"

namespace corvalinde {
namespace {

using Items = std::vector<std::wstring>;

TEST(SplitFileList, SeparatorsBlanksAndEmptyNames) {
  EXPECT_EQ(SplitFileList(L"a.dll; b.dll"), (Items{L"a.dll", L" b.dll"}));
  EXPECT_EQ(SplitFileList(L"a.dll;;b.ocx;"), (Items{L"a.dll", L"b.ocx"}));
  EXPECT_EQ(SplitFileList(L"a.dll;b.ocx"), (Items{L"a.dll", L"b.ocx"}));
  // Blanks before a dropped ";" stay at the front of the next name.
  EXPECT_EQ(SplitFileList(L"  ; x.dll "), (Items{L"   x.dll "}));
  EXPECT_TRUE(SplitFileList(L"").empty());
  EXPECT_TRUE(SplitFileList(L" ; ;;  ").empty());
  EXPECT_EQ(SplitFileList(L"\t;"), (Items{L"\t"}));  // only the blank counts as blank
}

TEST(SplitFileList, ListsOfAnyLength) {
  std::wstring text;
  for (int i = 0; i < 5000; ++i) text += L"C:\\moduli\\modulo" + std::to_wstring(i) + L".dll;";
  ASSERT_GT(text.size(), 32767u);
  Items items = SplitFileList(text);
  ASSERT_EQ(items.size(), 5000u);
  EXPECT_EQ(items.back(), L"C:\\moduli\\modulo4999.dll");
}

TEST(SummaryLines, OnePerOutcomeWordForWord) {
  EXPECT_EQ(SummaryLine({RegDone, 0, 0}, L"a.dll"),
            L"Operazione conclusa con successo per a.dll\r\n");
  EXPECT_EQ(SummaryLine({RegEntryMissing, 0, 0}, L"a.dll"),
            L"Entrypoint del modulo mancante per a.dll\r\n");
  EXPECT_EQ(SummaryLine({RegTimeout, 0, 0}, L"a.dll"),
            L"Errore di timeout del modulo per a.dll\r\n");
  // The system's words for the failure follow on a line of their own.
  EXPECT_EQ(
      SummaryLine({RegModuleInvalid, 0, 126}, L"a.dll"),
      L"Modulo :a.dll è mancante o non valido.\r\n" + platform::SystemErrorText(126) + L"\r\n");
  EXPECT_EQ(SummaryLine({RegModuleInvalid, 0, 0}, L"a.dll"),
            L"Modulo :a.dll è mancante o non valido.\r\n");
  std::wstring denied = platform::SystemErrorText(0x80070005);
  EXPECT_EQ(SummaryLine({RegEntryFailed, static_cast<std::int32_t>(0x80070005u), 0}, L"a.dll"),
            L"Operazione non riuscita per a.dll (codice 0x80070005)" +
                (denied.empty() ? L"" : L"\r\n" + denied) + L"\r\n");
  RegistrationResult wrong{RegWrongArchitecture, 0, 0, ModuleArchitecture::X86};
  wrong.architecture = RunningArchitecture() == ModuleArchitecture::X86 ? ModuleArchitecture::X64
                                                                        : ModuleArchitecture::X86;
  std::wstring twin =
      wrong.architecture == ModuleArchitecture::X86 ? L"Corvalinde32.exe" : L"Corvalinde64.exe";
  std::wstring bits = wrong.architecture == ModuleArchitecture::X86 ? L"32" : L"64";
  EXPECT_EQ(SummaryLine(wrong, L"a.dll"),
            L"Modulo :a.dll è a " + bits + L" bit: usare " + twin + L".\r\n");
  wrong.architecture = ModuleArchitecture::Arm64;
  EXPECT_EQ(SummaryLine(wrong, L"a.dll"),
            L"Modulo :a.dll è per ARM64: Corvalinde non può caricarlo.\r\n");
}

class RegUnregDialogTest : public ::testing::Test {
 protected:
  testing::ModuleFolderAsCurrent inModuleFolder_;
  testing::MarkerFile marker_;
  std::unique_ptr<platform::ModuleLoader> loader_ = platform::MakeSystemModuleLoader();
  platform::inmemory::RecordingMessageBoxes boxes_;
  platform::inmemory::RecordingDialogs dialogs_;
  InProcessRegistrar registrar_{*loader_};
  RegUnregDialog dialog_{registrar_, boxes_, dialogs_};
};

TEST_F(RegUnregDialogTest, AvviaRunsEveryFileInOrderAndSumsUpOnce) {
  std::wstring good = testing::TestModuleFileName("testmod_good");
  std::wstring none = testing::TestModuleFileName("testmod_noexports");
  dialog_.fileList = good + L"; missing.dll;" + none + L";  " + good + L" ";
  dialog_.Avvia();
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  const auto& shown = boxes_.Shown()[0];
  EXPECT_EQ(shown.title, L"Info");
  EXPECT_EQ(shown.icon, platform::MessageIcon::Information);
  EXPECT_EQ(shown.text, L"Operazione conclusa con successo per " + good + L"\r\n" +
                            L"Modulo :missing.dll è mancante o non valido.\r\n" +
                            platform::SystemErrorText(126) + L"\r\n" +
                            L"Entrypoint del modulo mancante per " + none + L"\r\n" +
                            L"Operazione conclusa con successo per " + good + L"\r\n");
  EXPECT_EQ(marker_.Lines(), (std::vector<std::string>{"register", "register"}));

  dialog_.unregister = true;
  dialog_.fileList = good;
  dialog_.Avvia();
  EXPECT_EQ(marker_.Lines().back(), "unregister");
}

TEST_F(RegUnregDialogTest, AnEmptyListAsksForAName) {
  dialog_.fileList = L" ; ";
  dialog_.Avvia();
  ASSERT_EQ(boxes_.Shown().size(), 1u);
  EXPECT_EQ(boxes_.Shown()[0].text, L"Nome file mancante");
  EXPECT_EQ(boxes_.Shown()[0].icon, platform::MessageIcon::Exclamation);
  EXPECT_EQ(boxes_.Shown()[0].title, L"Errore");
}

TEST_F(RegUnregDialogTest, BrowsingAndDroppingReplaceTheList) {
  dialog_.fileList = L"vecchio.dll;";
  dialog_.Cerca();  // cancelled
  EXPECT_EQ(dialog_.fileList, L"vecchio.dll;");
  ASSERT_EQ(dialogs_.openFileRequests.size(), 1u);
  EXPECT_EQ(dialogs_.openFileRequests[0].filter, L"Tutti i file (*.*)|*.*");
  EXPECT_EQ(dialogs_.openFileRequests[0].flags, 0x1000u);
  EXPECT_EQ(dialogs_.openFileRequests[0].title, L"Cerca modulo");
  dialogs_.fileAnswers.push_back(L"C:\\x\\x.ocx");
  dialog_.Cerca();
  EXPECT_EQ(dialog_.fileList, L"C:\\x\\x.ocx;");
  dialog_.Drop({L"C:\\a.dll", L"C:\\b c.dll", L"D:\\z.ocx"});
  EXPECT_EQ(dialog_.fileList, L"C:\\a.dll;C:\\b c.dll;D:\\z.ocx;");
  dialog_.Drop({});
  EXPECT_EQ(dialog_.fileList, L"");
}

// The dependency the registrar found missing ends the file's line of the summary.
TEST(RegUnregDependencies, TheSummaryNamesTheMissingDllAndWhoNeedsIt) {
  testing::ScriptedRegistrar registrar;
  registrar.result.outcome = RegModuleInvalid;
  registrar.result.loadError = 126;
  registrar.result.dependencies = {
      {pe::DependencyProblem::Kind::MissingDll, L"MSVCP140.dll", L"a.dll", L"", 0, false},
      {pe::DependencyProblem::Kind::MissingFunction, L"v.dll", L"a.dll", L"#7", 0, true}};
  platform::inmemory::RecordingMessageBoxes boxes;
  platform::inmemory::RecordingDialogs dialogs;
  RegUnregDialog dialog(registrar, boxes, dialogs);
  dialog.fileList = L"a.dll";
  dialog.Avvia();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, L"Modulo :a.dll è mancante o non valido.\r\n" +
                                       platform::SystemErrorText(126) +
                                       L"\r\nManca una DLL richiesta:\r\n"
                                       L"  MSVCP140.dll (richiesta da a.dll)\r\n"
                                       L"Manca una funzione richiesta:\r\n"
                                       L"  #7 in v.dll (richiesta da a.dll, al primo uso)\r\n");
}

// Every file refused for want of rights, and registered once elevated.
void RefuseUntilElevated(testing::ScriptedRegistrar& registrar) {
  registrar.result = testing::AccessDenied();
  RegistrationResult done;
  done.outcome = RegDone;
  registrar.elevated = done;
}

TEST(RegUnregElevation, RefusedFilesAreMarkedAndRetriedTogetherOnce) {
  testing::ScriptedRegistrar registrar;
  RefuseUntilElevated(registrar);
  platform::inmemory::RecordingMessageBoxes boxes;
  platform::inmemory::RecordingDialogs dialogs;
  RegUnregDialog dialog(registrar, boxes, dialogs, false);
  dialog.fileList = L"a.dll; b.dll;";
  boxes.QueueAnswer(platform::MessageAnswer::Yes);
  dialog.Avvia();
  EXPECT_EQ(registrar.elevatedRuns, (std::vector<std::wstring>{L"a.dll", L"b.dll"}));
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].buttons, platform::MessageButtons::YesNo);
  EXPECT_EQ(
      boxes.Shown()[0].text.rfind(L"* Operazione non riuscita per a.dll (codice 0x80070005)", 0),
      0u);
  EXPECT_EQ(boxes.Shown()[1].text,
            L"Operazione conclusa con successo per a.dll\r\n"
            L"Operazione conclusa con successo per b.dll\r\n");

  // A later prompt refused: what ran elevated is still told, the rest as it first was.
  registrar.elevatedRuns.clear();
  registrar.elevatedRefusedFrom = 1;
  boxes.QueueAnswer(platform::MessageAnswer::Yes);
  dialog.Avvia();
  ASSERT_EQ(boxes.Shown().size(), 4u);
  EXPECT_EQ(boxes.Shown()[3].text.rfind(L"Operazione conclusa con successo per a.dll\r\n"
                                        L"Operazione non riuscita per b.dll (codice 0x80070005)",
                                        0),
            0u);

  // For this user only, rights do not matter: nothing is offered.
  dialog.perUser = true;
  dialog.Avvia();
  EXPECT_EQ(boxes.Shown().size(), 5u);
  EXPECT_EQ(boxes.Shown()[4].buttons, platform::MessageButtons::Ok);
  EXPECT_EQ(registrar.scopes.back(), RegistrationScope::User);
}

TEST(RegUnregLongSummary, MoreLinesThanFitGoToTheListWithTheTallyAndCopyAsText) {
  testing::ScriptedRegistrar registrar;
  registrar.result.outcome = RegDone;
  platform::inmemory::RecordingMessageBoxes boxes;
  platform::inmemory::RecordingDialogs dialogs;
  testing::RecordingResults results;
  RegUnregDialog dialog(registrar, boxes, dialogs);
  dialog.SetLongResults(&results, 3);
  dialog.fileList = L"a.dll;b.dll;c.dll;";
  dialog.Avvia();  // three lines fit a box
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_TRUE(results.rows.empty());
  dialog.fileList = L"a.dll;b.dll;c.dll;d.dll;";
  dialog.Avvia();
  EXPECT_EQ(boxes.Shown().size(), 1u);
  ASSERT_EQ(results.rows.size(), 4u);
  EXPECT_EQ(results.tally, L"4 riuscite, 0 non riuscite");
  EXPECT_EQ(ResultsAsText({results.rows[0]}),
            L"File\tEsito\tDettaglio\r\na.dll\triuscita\tOperazione conclusa con successo per "
            L"a.dll\r\n");
}

// A standard user registering more machine modules than a box can show: the list, with the
// question and its button beside it, never a box taller than the screen; after the retry the
// list again, without the question.
TEST(RegUnregLongSummary, RefusedFilesAreOfferedTheRetryBesideTheList) {
  testing::ScriptedRegistrar registrar;
  RefuseUntilElevated(registrar);
  platform::inmemory::RecordingMessageBoxes boxes;
  platform::inmemory::RecordingDialogs dialogs;
  testing::RecordingResults results;
  results.retry = true;
  RegUnregDialog dialog(registrar, boxes, dialogs, false);
  dialog.SetLongResults(&results, 3);
  dialog.fileList = L"a.dll;b.dll;c.dll;d.dll;";  // four lines, and six with the question
  dialog.Avvia();
  EXPECT_TRUE(boxes.Shown().empty());
  ASSERT_EQ(results.questions.size(), 2u);
  EXPECT_EQ(results.questions[0],
            L"* Servono i diritti di amministratore. Riprovare come amministratore i moduli "
            L"segnati? (Senza diritti: \"Solo per l'utente corrente\".)");
  EXPECT_EQ(results.questions[1], L"");
  EXPECT_EQ(registrar.elevatedRuns,
            (std::vector<std::wstring>{L"a.dll", L"b.dll", L"c.dll", L"d.dll"}));
  EXPECT_EQ(results.tally, L"4 riuscite, 0 non riuscite");
  EXPECT_EQ(results.rows[1].detail, L"Operazione conclusa con successo per b.dll");
}

}  // namespace
}  // namespace corvalinde
