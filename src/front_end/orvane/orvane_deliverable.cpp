#include "front_end/deliverable.h"

namespace droplet {

const Deliverable& OrvaneDeliverable() {
  static const Deliverable orvane = [] {
    Deliverable d;
    d.shortName = "Orvane";
    d.fileDescription = "Orvane";
    d.summary = "Converts a PDF file into HTML pages with pdftohtml.";
    // From the program's CMake project (apps/orvane/CMakeLists.txt).
    d.version = {DROPLET_VERSION_MAJOR, DROPLET_VERSION_MINOR, DROPLET_VERSION_REVISION};
    d.converterCommand = "pdftohtml -c  -stdout ";
    d.resultPattern = "*.html";
    static const HtmlPagesOutputs outputs;
    d.outputs = &outputs;
    d.resultExtension = ".html";
    d.emptiesOutputBeforeRun = true;
    d.printsPageLines = true;
    d.ignoreImagesOption = "-i";
    d.confirmationQuestion = "Eseguire la conversione in formato HTML ?";
    d.cancellationMessage = "conversione in HTML annullata dall'utente";
    d.openResultQuestion = "Aprire il file indice per visualizzare l'output?";
    d.runnerTexts = {"Command Line empty",
                     "CreatePipe failed. Error: ", "File or command not found"};
    d.iniFileName = "Orvane.INI";
    d.iniExistenceName = "Orvane.ini";
    d.optionsForm = WithAccessibleTexts(OrvaneOptionsForm(), d.shortName);
    // No caption and no labels; the quit confirmation carries the (empty) caption as its title.
    d.window.accessibleName = "Orvane: trascina qui un PDF da convertire in HTML";
    d.window.accessibleDescription = kWindowKeyboardHelp;
    d.quitTitle = d.window.caption;
    d.aboutText =
        "Orvane - Pdf To Html\r"
        "\r"
        "GUI che consente di convertire un file PDF in pagine HTML\r"
        "tramite DRAG&DROP usando pdftohtml \r"
        " ------------------\r"
        "pdftohtml: convertitore di Poppler, distribuito sotto licenza GPL\r"
        "Orvane: interfaccia grafica a cura del gruppo Orvane\r"
        "-------------------\r"
        "Trascinare un file PDF sull'immagine: le pagine HTML finiscono nella cartella output";
    return d;
  }();
  return orvane;
}

}  // namespace droplet
