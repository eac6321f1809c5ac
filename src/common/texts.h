// Every text the program shows to its user, in the program's Italian, in one place.
#pragma once

#include <string_view>

#include "common/version.h"

namespace corvalinde::texts {

inline constexpr std::wstring_view kCrLf = L"\r\n";

inline constexpr std::wstring_view kVersionText = CORVALINDE_VERSION_TEXT;

// Titles.
inline constexpr std::wstring_view kTitleError = L"Errore";
inline constexpr std::wstring_view kTitleRegistered = L"Registrato";

// Command-line run.
inline constexpr std::wstring_view kUsage =
    L"Parametri non validi.\r\n/filename nomefile\r\n/visible  0-1\r\n/modal   U-R";
inline constexpr std::wstring_view kModuleLabel = L"Modulo : ";
inline constexpr std::wstring_view kRegisteredOk = L"Registrato con successo";
inline constexpr std::wstring_view kUnregisteredOk = L"Unregistrato con successo";
// regsvr32's /n /i: DllInstall alone ran, no server entry point.
inline constexpr std::wstring_view kInstallOk = L"DllInstall eseguito con successo";
inline constexpr std::wstring_view kEntryPointMissing = L"Entrypoint del modulo mancante";
inline constexpr std::wstring_view kTimeout = L"Errore di timeout del modulo";
inline constexpr std::wstring_view kModuleInvalidLabel = L"Modulo :";
inline constexpr std::wstring_view kModuleInvalid = L"è mancante o non valido";
inline constexpr std::wstring_view kOperationFailed = L"Operazione non riuscita (codice 0x";
inline constexpr std::wstring_view kRegistering = L"Registrazione in corso: ";
inline constexpr std::wstring_view kCrashed =
    L"Il modulo si è interrotto durante l'operazione (eccezione 0x";
inline constexpr std::wstring_view kUserScopeFailed =
    L"Impossibile registrare solo per l'utente corrente: nulla è stato registrato.";
inline constexpr std::wstring_view kAskElevation =
    L"\r\n\r\nIl modulo richiede i diritti di amministratore: riprovare come amministratore?"
    L"\r\n(Per registrarlo solo per l'utente corrente, senza diritti di amministratore, usare "
    L"/user.)";
inline constexpr std::wstring_view kCapturing = L"Cattura in corso: ";
inline constexpr std::wstring_view kCapturedIn = L"Registrazione catturata in ";
inline constexpr std::wstring_view kCapturedKeys = L" chiavi, ";
inline constexpr std::wstring_view kCapturedValues = L" valori)";
inline constexpr std::wstring_view kCaptureFailed =
    L"Impossibile scrivere la cattura: il registro non è stato modificato.";
inline constexpr std::wstring_view kCaptureFileFailed = L"Impossibile scrivere il file ";
// What the module wrote could not be read whole: nothing written, the registry as it was.
inline constexpr std::wstring_view kCaptureLink =
    L"La registrazione ha creato un collegamento nel registro, che la cattura non segue: ";
inline constexpr std::wstring_view kCaptureTooDeep =
    L"La registrazione ha creato chiavi annidate oltre il limite del registro: ";
inline constexpr std::wstring_view kCaptureTooLarge =
    L"La registrazione ha scritto nel registro più di 64 MiB, oltre il limite della cattura: ";
inline constexpr std::wstring_view kCaptureExcluded = L"Esclusi, già presenti con altro valore:";
// Held by the machine with the same data: a package leaves them out (uninstalling it would take
// them from the machine), a .reg file keeps them (importing them changes nothing).
inline constexpr std::wstring_view kCaptureExcludedOnMachine =
    L"Esclusi, già presenti sulla macchina:";
inline constexpr std::wstring_view kCaptureAlreadyOnMachine =
    L"Già presenti sulla macchina, con gli stessi dati:";
inline constexpr std::wstring_view kCaptureNotInManifest =
    L"Esclusi, non esprimibili in un manifesto:";
inline constexpr std::wstring_view kCaptureOwnClasses =
    L"Il modulo usa le proprie classi durante la registrazione: durante la cattura COM non le "
    L"trova. Registrarlo, poi ripetere la cattura.";
inline constexpr std::wstring_view kCaptureProgram =
    L"Un programma (.exe) si registra in un proprio processo, che la cattura non può seguire: "
    L"nulla è stato eseguito.";
inline constexpr std::wstring_view kCaptureNothingWritten =
    L"Nessun file scritto, il registro non è stato modificato.";
// A verification: is the module registered as it registers itself?
inline constexpr std::wstring_view kTitleVerify = L"Verifica registrazione";
inline constexpr std::wstring_view kVerifyComplete = L"Registrazione completa: ";
inline constexpr std::wstring_view kVerifyKeysAnd = L" chiavi e ";
inline constexpr std::wstring_view kVerifyValuesAsWritten = L" valori come li scrive il modulo.";
inline constexpr std::wstring_view kVerifyDiffers = L"Registrazione incompleta o diversa:";
inline constexpr std::wstring_view kVerifyMissingKey = L"Manca la chiave: ";
inline constexpr std::wstring_view kVerifyMissingValue = L"Manca il valore: ";
inline constexpr std::wstring_view kVerifyValueDiffers = L"Valore diverso: ";
inline constexpr std::wstring_view kVerifyFound = L": trovato ";
inline constexpr std::wstring_view kVerifyExpected = L", atteso ";
inline constexpr std::wstring_view kVerifyInItsPlace = L"Al suo posto è registrato: ";
inline constexpr std::wstring_view kVerifyAndOthers = L"… e altre ";
inline constexpr std::wstring_view kVerifyOnly32 =
    L"Registrato per i programmi a 32 bit: un programma a 64 bit non troverà queste classi.";
inline constexpr std::wstring_view kVerifyOnly64 =
    L"Registrato per i programmi a 64 bit: un programma a 32 bit non troverà queste classi.";
// The register/unregister dialog's line: "Verifica di <file>: completa".
inline constexpr std::wstring_view kLineVerify = L"Verifica di ";
inline constexpr std::wstring_view kLineVerifyFindings = L": incompleta o diversa, differenze: ";
inline constexpr std::wstring_view kResultComplete = L"completa";
inline constexpr std::wstring_view kResultIncomplete = L"incompleta";
inline constexpr std::wstring_view kRegisterAgain = L"&Registra di nuovo";
inline constexpr std::wstring_view kAskRegisterAgain = L"Registrare di nuovo il modulo?";
inline constexpr std::wstring_view kWrongTwinStart = L" non è la versione ";
inline constexpr std::wstring_view kWrongTwinEnd = L" di Corvalinde: non può caricare il modulo.";
// A 64-bit Windows without its 32-bit part (Server Core may lack it) starts no 32-bit program.
inline constexpr std::wstring_view kTwinNotStarted = L" non può essere avviato.";

// A module built for another processor.
inline constexpr std::wstring_view kArchitecture32 = L"a 32 bit";
inline constexpr std::wstring_view kArchitecture64 = L"a 64 bit";
inline constexpr std::wstring_view kArchitectureArm64 = L"per ARM64";
inline constexpr std::wstring_view kArchitectureArm = L"per ARM";
inline constexpr std::wstring_view kWrongArchitectureStart = L"Il modulo è ";
inline constexpr std::wstring_view kWrongArchitectureMiddle = L": questa versione di Corvalinde, ";
inline constexpr std::wstring_view kWrongArchitectureEnd = L", non può caricarlo.";
inline constexpr std::wstring_view kUseTwinStart = L"Usare ";
inline constexpr std::wstring_view kUseTwinEnd = L", nella stessa cartella di Corvalinde.exe.";
inline constexpr std::wstring_view kLineWrongArchitecture = L" è ";
inline constexpr std::wstring_view kLineUseTwin = L": usare ";
inline constexpr std::wstring_view kLineNoBuild = L": Corvalinde non può caricarlo.";

// Register/unregister dialog. A "&" marks a caption's access key (the letter underlined).
inline constexpr std::wstring_view kTitleInfo = L"Info";
inline constexpr std::wstring_view kRegUnregCaption = L"Registra / Unregistra";
inline constexpr std::wstring_view kActionFrame = L"Azione ";
inline constexpr std::wstring_view kUnregisterOption = L"&Unregistra";
inline constexpr std::wstring_view kRegisterOption = L"&Registra";
inline constexpr std::wstring_view kCaptureOption = L"Cattura (.re&g)";
inline constexpr std::wstring_view kVerifyOption = L"&Verifica";
inline constexpr std::wstring_view kCaptureFilter =
    L"File di registro (*.reg)|*.reg|Sorgente WiX (*.wxs)|*.wxs|"
    L"Manifesto COM senza registrazione (*.manifest)|*.manifest";
inline constexpr std::wstring_view kCaptureTitle = L"Salva la cattura";
inline constexpr std::wstring_view kLineCaptured = L"Cattura di ";
inline constexpr std::wstring_view kLineCapturedIn = L" scritta in ";
inline constexpr std::wstring_view kPathFrame = L"Percorso modulo ";
inline constexpr std::wstring_view kBrowse = L"&Cerca";
inline constexpr std::wstring_view kBack = L"Ri&torna";
inline constexpr std::wstring_view kStart = L"&Avvia";
inline constexpr std::wstring_view kBrowseFilter = L"Tutti i file (*.*)|*.*";
inline constexpr std::wstring_view kBrowseTitle = L"Cerca modulo";
inline constexpr std::wstring_view kFileNameMissing = L"Nome file mancante";
inline constexpr std::wstring_view kLineDone = L"Operazione conclusa con successo per ";
inline constexpr std::wstring_view kLineEntryMissing = L"Entrypoint del modulo mancante per ";
inline constexpr std::wstring_view kLineTimeout = L"Errore di timeout del modulo per ";
inline constexpr std::wstring_view kLineInvalidLabel = L"Modulo :";
inline constexpr std::wstring_view kLineInvalid = L" è mancante o non valido.";
inline constexpr std::wstring_view kLineFailed = L"Operazione non riuscita per ";
inline constexpr std::wstring_view kLineFailedCode = L" (codice 0x";
inline constexpr std::wstring_view kLineCrashedCode = L" (eccezione 0x";
inline constexpr std::wstring_view kLineUserScopeFailed =
    L": impossibile registrare solo per l'utente corrente.";
inline constexpr std::wstring_view kLineCaptureFailed =  // kCaptureFailed, after a file name
    L": Impossibile scrivere la cattura: il registro non è stato modificato.";
inline constexpr std::wstring_view kResultsCaption = L"Risultati";
inline constexpr std::wstring_view kResultsFile = L"File";
inline constexpr std::wstring_view kResultsOutcome = L"Esito";
inline constexpr std::wstring_view kResultsDetail = L"Dettaglio";
inline constexpr std::wstring_view kResultDone = L"riuscita";
inline constexpr std::wstring_view kResultFailed = L"non riuscita";
inline constexpr std::wstring_view kTallyDone = L" riuscite, ";
inline constexpr std::wstring_view kTallyFailed = L" non riuscite";
inline constexpr std::wstring_view kCopy = L"C&opia";
inline constexpr std::wstring_view kClose = L"C&hiudi";
inline constexpr std::wstring_view kRetryAsAdministrator = L"&Riprova come amministratore";
inline constexpr std::wstring_view kUserOnly = L"&Solo per l'utente corrente";
inline constexpr std::wstring_view kNeedsAdministratorMark = L"* ";
inline constexpr std::wstring_view kAskElevationForMarked =
    L"\r\n* Servono i diritti di amministratore. Riprovare come amministratore i moduli "
    L"segnati? (Senza diritti: \"Solo per l'utente corrente\".)";

// Options dialog.
inline constexpr std::wstring_view kOptionsCaption = L"Opzioni";
inline constexpr std::wstring_view kGeneralFrame = L"Generale";
inline constexpr std::wstring_view kWinStartBox = L"&Avvia all'avvio di windows";
inline constexpr std::wstring_view kAssociateBox = L"A&ssocia Corvalinde ai file con estensione";
inline constexpr std::wstring_view kAdd = L"A&ggiungi";
inline constexpr std::wstring_view kDelete = L"&Elimina";
inline constexpr std::wstring_view kCancel = L"A&nnulla";
inline constexpr std::wstring_view kConfirm = L"&Conferma";
inline constexpr std::wstring_view kAskExtension = L"Inserire l'estensione";
inline constexpr std::wstring_view kNewExtension = L"Nuova Estensione";
inline constexpr std::wstring_view kDuplicateExtension = L"Estensione già inserita";
inline constexpr std::wstring_view kInvalidExtension =
    L"Estensione non valida: da 1 a 50 caratteri ASCII, senza \\ / : * ? \" < > |";
inline constexpr std::wstring_view kAskDelete = L"Eliminare l'estensione : ";
inline constexpr std::wstring_view kTitleRequest = L"Richiesta";
inline constexpr std::wstring_view kRunEntryMachine = L"Avvio: per tutti gli utenti";
inline constexpr std::wstring_view kRunEntryUser = L"Avvio: solo per questo utente";
inline constexpr std::wstring_view kRunEntryRefused =
    L"Impossibile aggiornare l'avvio all'avvio di windows: servono i diritti di "
    L"amministratore. Le altre opzioni sono state salvate.";

// Settings.
inline constexpr std::wstring_view kSaveFailed = L"Impossibile salvare le opzioni in ";

// Registered-module browser.
inline constexpr std::wstring_view kProgramTitle = L"Corvalinde";
inline constexpr std::wstring_view kBrowserCaption = L"Lista moduli registrati";
inline constexpr std::wstring_view kBrowserCountCaption =
    L"Lista moduli registrati ( Numero moduli :";
inline constexpr std::wstring_view kBrowserCountEnd = L" )";
inline constexpr std::wstring_view kColumnId = L"ID";
inline constexpr std::wstring_view kColumnNome = L"Nome";
inline constexpr std::wstring_view kColumnClassName = L"ClassName";
inline constexpr std::wstring_view kColumnClassId = L"ClassID";
inline constexpr std::wstring_view kColumnEseguibile = L"Eseguibile";
inline constexpr std::wstring_view kColumnNomeModulo = L"Nome modulo";
inline constexpr std::wstring_view kColumnThreading = L"Threding model";
inline constexpr std::wstring_view kColumnVersione = L"Versione";
inline constexpr std::wstring_view kColumnVindProgId = L"V.ind Prog ID";
inline constexpr std::wstring_view kColumnStato = L"Stato";
inline constexpr std::wstring_view kColumnAmbito = L"Ambito";
inline constexpr std::wstring_view kColumnVersioneFile = L"Versione file";
inline constexpr std::wstring_view kColumnProduttore = L"Produttore";
inline constexpr std::wstring_view kStatusMissing = L"file mancante";
inline constexpr std::wstring_view kStatusUnverifiable = L"non verificabile";
inline constexpr std::wstring_view kCode = L"codice ";
inline constexpr std::wstring_view kStatus32 = L"32 bit";
inline constexpr std::wstring_view kStatus64 = L"64 bit";
inline constexpr std::wstring_view kScopeUser = L"utente";
inline constexpr std::wstring_view kScopeMachine = L"macchina";
inline constexpr std::wstring_view kFilterLabel = L"&Filtro";
inline constexpr std::wstring_view kOnlyMissing = L"Solo &mancanti";
inline constexpr std::wstring_view kShownOf = L" di ";
inline constexpr std::wstring_view kMenuCopy = L"&Copia\tCtrl+C";
inline constexpr std::wstring_view kMenuExport = L"&Esporta...";
inline constexpr std::wstring_view kMenuOpenFolder = L"Apri &cartella del modulo";
inline constexpr std::wstring_view kMenuUnregister = L"&Unregistra modulo";
inline constexpr std::wstring_view kMenuVerify = L"&Verifica registrazione";
inline constexpr std::wstring_view kExportTitle = L"Esporta la lista";
inline constexpr std::wstring_view kExportFilter =
    L"File CSV (*.csv)|*.csv|Pagina HTML (*.html)|*.html";
inline constexpr std::wstring_view kExportFailed = L"Impossibile scrivere il file ";
inline constexpr std::wstring_view kAskUnregister = L"Unregistrare il modulo ";
inline constexpr std::wstring_view kLoadingStart = L"Caricamento moduli in corso ...( ";
inline constexpr std::wstring_view kLoadingEnd = L"% completato )";
inline constexpr std::wstring_view kSearchingStart = L"Ricerca in corso... (";
inline constexpr std::wstring_view kSearchingEnd = L"% completata)";
inline constexpr std::wstring_view kFoundStart = L"Occorrenza trovata (Posizione ";
inline constexpr std::wstring_view kFoundEnd = L")";
inline constexpr std::wstring_view kNotFound = L"Nessuna occorrenza trovata";
inline constexpr std::wstring_view kTitleSearchResult = L"Risultato ricerca";
inline constexpr std::wstring_view kClassesRootUnreadable =
    L"Impossibile ottenere le informazioni richieste da HKEY_CLASSES_ROOT";
inline constexpr std::wstring_view kBrowserExit = L"&Esci";
inline constexpr std::wstring_view kBrowserRefresh = L"&Refresh";
inline constexpr std::wstring_view kSearchFrame = L"Ricerca per ";
inline constexpr std::wstring_view kSearchExecutable = L"e&seguibile";
inline constexpr std::wstring_view kSearchModule = L"&modulo (DLL)";
inline constexpr std::wstring_view kSearchButton = L"R&icerca";

// The browser's clean-up: removing what is left of classes whose file is gone, after a backup,
// and writing a backup (or any .reg file of classes) back.
inline constexpr std::wstring_view kRemoveOrphans = L"Rimuovi voci &orfane...";
inline constexpr std::wstring_view kRestoreRegFile = L"Ripristina da .re&g...";
inline constexpr std::wstring_view kNoOrphans =
    L"Nessuna voce orfana da rimuovere: nessuna classe delle righe indicate ha \"file "
    L"mancante\" ed è ancora registrata.";
inline constexpr std::wstring_view kAskRemoveStart = L"Rimuovere le voci di ";
inline constexpr std::wstring_view kAskRemoveEnd =
    L" classi il cui file è mancante?\r\nPrima sarà scritta una copia di sicurezza. Chiavi da "
    L"rimuovere:";
inline constexpr std::wstring_view kLeftAsFileTypes = L"Lasciate (usate anche come tipo di file):";
inline constexpr std::wstring_view kLeftAsCurrentVersion =
    L"Lasciate (la versione corrente è di una classe che resta):";
inline constexpr std::wstring_view kLeftOutStart = L"Escluse al nuovo controllo: ";
inline constexpr std::wstring_view kLeftOutFileBack = L" classi il cui file ora c'è.";
inline constexpr std::wstring_view kLeftOutUnverifiable =
    L" classi il cui file non è verificabile.";
inline constexpr std::wstring_view kLeftOutChanged = L" classi non più registrate come elencate.";
inline constexpr std::wstring_view kRemovingOrphans = L"Rimozione delle voci orfane";
inline constexpr std::wstring_view kRemovedStart = L"Rimosse ";
inline constexpr std::wstring_view kRemovedClasses = L" classi (";
inline constexpr std::wstring_view kRemovedKeys = L" chiavi). Copia di sicurezza: ";
inline constexpr std::wstring_view kBackupFailed =
    L"Impossibile scrivere la copia di sicurezza: nulla è stato rimosso.";
inline constexpr std::wstring_view kBackupNoFolder = L"Impossibile creare la cartella ";
inline constexpr std::wstring_view kBackupLink = L"Una chiave è un collegamento simbolico: ";
inline constexpr std::wstring_view kBackupTooDeep = L"Chiavi annidate troppo in profondità: ";
inline constexpr std::wstring_view kBackupTooLarge = L"La copia supererebbe i 64 MB: ";
inline constexpr std::wstring_view kRemovalStopped = L"Rimozione interrotta (copia di sicurezza: ";
inline constexpr std::wstring_view kKeysRemoved = L"Chiavi rimosse: ";
inline constexpr std::wstring_view kNothingRemoved = L"Nulla è stato rimosso.";
inline constexpr std::wstring_view kRestoreTitle = L"Ripristina da .reg";
inline constexpr std::wstring_view kRestoreFilter = L"File di registro (*.reg)|*.reg";
inline constexpr std::wstring_view kAskRestoreStart = L"Ripristinare da ";
inline constexpr std::wstring_view kAskRestoreKeys = L"?\r\n";
inline constexpr std::wstring_view kAskRestoreValues = L" chiavi e ";
inline constexpr std::wstring_view kAskRestoreListed = L" valori. Chiavi da scrivere:";
inline constexpr std::wstring_view kRestoringFrom = L"Ripristino da ";
inline constexpr std::wstring_view kRestoredStart = L"Ripristinate ";
inline constexpr std::wstring_view kRestoredKeys = L" chiavi (";
inline constexpr std::wstring_view kRestoredValues = L" valori) da ";
inline constexpr std::wstring_view kRestoreRefused = L"Nulla è stato scritto. Il file ";
inline constexpr std::wstring_view kRestoreUnreadable = L" non si può leggere.";
inline constexpr std::wstring_view kAtLine = L", riga ";
inline constexpr std::wstring_view kRestoreStopped = L"Ripristino interrotto: ";
inline constexpr std::wstring_view kChangedSinceShown =
    L"Il file è cambiato dopo la conferma: nulla è stato scritto.";
inline constexpr std::wstring_view kNothingWritten = L"Nulla è stato scritto.";
// Why a .reg file is refused, or a writing stopped.
inline constexpr std::wstring_view kRegNotRegFile =
    L"non è un file di registro (\"Windows Registry Editor Version 5.00\")";
inline constexpr std::wstring_view kRegUnknownRoot = L"radice sconosciuta";
inline constexpr std::wstring_view kRegBadLine = L"riga non valida";
inline constexpr std::wstring_view kRegBadData = L"dato non leggibile";
inline constexpr std::wstring_view kRegNoKey = L"valore prima di ogni chiave";
inline constexpr std::wstring_view kRegUnsupported = L"cancellazione, non ammessa";
inline constexpr std::wstring_view kRegOutsideClasses =
    L"chiave fuori dalle classi COM (ammesse: HKEY_CLASSES_ROOT, "
    L"HKEY_LOCAL_MACHINE\\Software\\Classes, HKEY_CURRENT_USER\\Software\\Classes)";
inline constexpr std::wstring_view kRegRefused = L"il registro rifiuta: ";

// Input box.
inline constexpr std::wstring_view kOk = L"OK";

// Tray.
inline constexpr std::wstring_view kToolTip = L"Oska Corvalinde " CORVALINDE_VERSION_TEXT;
inline constexpr std::wstring_view kMenuRegUnReg = L"&Registra / Unregistra";
inline constexpr std::wstring_view kMenuListaModuli = L"&Lista moduli registrati";
inline constexpr std::wstring_view kMenuOpz = L"Opzioni";
inline constexpr std::wstring_view kMenuAbout = L"&About";
inline constexpr std::wstring_view kMenuEsci = L"Esci";

// What a module needs and the system would not find (after a failed load, and /check).
inline constexpr std::wstring_view kMissingDlls = L"Manca una DLL richiesta:";
inline constexpr std::wstring_view kMissingFunctions = L"Manca una funzione richiesta:";
inline constexpr std::wstring_view kOtherMachineDlls =
    L"Una DLL richiesta è per un altro processore:";
inline constexpr std::wstring_view kInvalidDlls = L"Una DLL richiesta non è un modulo valido:";
inline constexpr std::wstring_view kRequiredBy = L" (richiesta da ";
inline constexpr std::wstring_view kAtFirstUse = L", al primo uso";
inline constexpr std::wstring_view kFunctionIn = L" in ";
inline constexpr std::wstring_view kUnknownMachine = L"di tipo sconosciuto";
// Registered for this user only: what the module wrote for the machine and was not applied.
inline constexpr std::wstring_view kNotAppliedForUser = L"Non applicato per l'utente corrente: ";
inline constexpr std::wstring_view kAndOtherKeys = L"… e altre ";
// After the first twenty problems: how many more there are.
inline constexpr std::wstring_view kAndOthers = L"… e altri ";
// The busy window while the files are read after a failed load.
inline constexpr std::wstring_view kCheckingDependencies = L"Verifica delle dipendenze: ";
// /check: the report on a module, without loading it.
inline constexpr std::wstring_view kTitleCheck = L"Verifica modulo";
inline constexpr std::wstring_view kCheckArchitecture = L"Architettura: ";
inline constexpr std::wstring_view kCheckExported = L": presente";
inline constexpr std::wstring_view kCheckNotExported = L": mancante";
inline constexpr std::wstring_view kCheckNoProblems = L"Dipendenze: tutte presenti";
inline constexpr std::wstring_view kCheckNotSearched =
    L"Dipendenze: non verificabili, il sistema non ha la cartella delle DLL di questa "
    L"architettura";

// About box. The maker's line, site and address are placeholders until the maker supplies them.
inline constexpr std::wstring_view kAboutCaption = L"About di Corvalinde";
inline constexpr std::wstring_view kAboutOf = L"About di";
inline constexpr std::wstring_view kProgramName = L"Corvalinde";
inline constexpr std::wstring_view kVersionPrefix = L"Ver.";
inline constexpr std::wstring_view kMakerLine = L"2026 Corvalinde developers";
inline constexpr std::wstring_view kMakerSite = L"https://corvalinde.example.org";
inline constexpr std::wstring_view kCommentsInvite =
    L"Per commenti, suggerimenti, critiche scrivete a corvalinde@example.org";

}  // namespace corvalinde::texts
