#include "front_end/deliverable.h"

namespace droplet {

namespace {

// The options form's title, the window caption and the quit confirmation's title show the
// version.
void ShowVersion(Deliverable& d) {
  d.optionsForm = WithAccessibleTexts(TessikOptionsForm(d.version), d.shortName);
  d.window.caption =
      d.fileDescription + " - Ver: " + FormatVersion(d.version, VersionParts::kMajorMinor);
  d.quitTitle = d.shortName + " Version: (BETA) " + FormatVersion(d.version);
}

}  // namespace

const Deliverable& TessikDeliverable() {
  static const Deliverable tessik = [] {
    Deliverable d;
    d.shortName = "Tessik";
    d.fileDescription = "Tessik";
    d.summary = "Converts a PDF file into plain text with pdftotext.";
    // From the program's CMake project (apps/tessik/CMakeLists.txt).
    d.version = {DROPLET_VERSION_MAJOR, DROPLET_VERSION_MINOR, DROPLET_VERSION_REVISION};
    d.converterCommand = "pdftotext ";
    d.resultPattern = "*.txt";
    static const TextOutputs outputs;
    d.outputs = &outputs;
    d.resultExtension = ".txt";
    d.emptiesOutputBeforeRun = false;
    d.confirmationQuestion = "Eseguire la conversione in formato TESTO ?";
    d.cancellationMessage = "conversione  annullata dall'utente";
    d.openResultQuestion = "Aprire il file per la visualizzazione ?";
    d.runnerTexts = {"Command Line vuota ..nessun argomento",
                     "Creazione Pipe Fallita. Errore: ", "file o comando non valido"};
    d.iniFileName = "Tessik.INI";
    d.iniExistenceName = "Tessik.ini";
    d.showVersion = ShowVersion;
    ShowVersion(d);
    d.window.labels = {
        {.name = "Label4",
         .text = "?",
         .place = {675, 1050, 90, 195},
         .fontPixelSize = 11,
         .bold = true,
         .toolTip = "per la conversione Trascinare il file PDF all'interno dell'immagine"},
        // The close spot: 11 x 11 pixels over the picture, without text.
        {.name = "Label1",
         .text = "",
         .place = {1005, 1065, 165, 165},
         .toolTip = "Chiudi il programma (doppio-click)",
         .doubleClick = WindowCommand::kExit},
    };
    d.window.accessibleName = "Tessik: trascina qui un PDF da convertire in testo";
    d.window.accessibleDescription = kWindowKeyboardHelp;
    // The credit, the web site and the address are those the options dialog shows.
    d.aboutText = std::string(
                      "Tessik - Pdf To Text VERSIONE BETA\r"
                      "\r"
                      "GUI che Consente di convertire un file PDF a formato testo\r"
                      "tramite DRAG&DROP usando la libreria Xpdf - Win32 binaries \r"
                      " ------------------\r"
                      "pdftotext - Copyright Glyph & Cog, LLC\r"
                      "Tessik - interfaccia grafica ") +
                  kTessikAuthorCredit + " - " + kTessikWebSite +
                  "\r"
                  "-------------------\r"
                  "I sorgenti sono disponibili su richiesta per e-mail: " +
                  kTessikMailAddress;
    return d;
  }();
  return tessik;
}

}  // namespace droplet
