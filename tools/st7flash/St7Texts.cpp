#include "tools/st7flash/St7Texts.h"

#include <cstdio>

namespace vexar::tools::st7 {

namespace {

struct Pair {
    const char* english;
    const char* italian;
};

const Pair kTexts[] = {
    {"KD01 ECU programming", "Programmazione ECU KD01"},
    {"Try to reset system in progress COM%ld...", "Tentativo di reset del sistema in corso COM%ld..."},
    {"Waiting for boot string COM%ld...", "Attesa boot string COM%ld..."},
    {"Programming abortive attempt COM%ld...", "Tentativo di programmazione fallito COM%ld..."},
    {"Try to erase memory in progress COM%ld...", "Tentativo di cancellazione memoria in corso COM%ld..."},
    {" Download completed successfully", " Programmazione completata con successo"},
    {"Error to open COM%ld: %ld", "Errore apertura COM%ld: %ld"},
    {"Error to open COM%ld: %ld", "Errore apartura COM%ld: %ld"},
    {"Press the OK button and switch on the board", "Premere OK e dopo alimentare la centralina"},
    {"Error erasing", "Errore cancellazione"},
    {"Error programming", "Errore programmazione"},
    {"Error programming interrupt vector", "Errore interrupt vettore programmazione"},
    {"Error writing check", "Errore controllo scrittura"},
    {"Try to disconnect and reconnect USB converter.", "Provare a disconnetere e riconnettere il convertitore USB."},
    {"Attention COM-USB conflict, try to connect through a different USB port. Do you want to continue with the "
     "connection?",
     "Attenzione conflitto COM-USB, provare a connettersi a una diversa porta USB. Proseguire con la connessione?"},
    {"Attention NO COM find, try to disconnect and reconnect USB converter.",
     "Attenzione NESSUNA porta seriale rilevata, provare a disconnettere e riconnettere il convertitore USB."},
};

}  // namespace

std::u16string Format(Text text, ToolLanguage language, long first, long second)
{
    const Pair& pair = kTexts[static_cast<int>(text)];
    const char* format = language == ToolLanguage::Italian ? pair.italian : pair.english;
    char line[256];
    std::snprintf(line, sizeof line, format, first, second);
    std::u16string wide;
    for (const char* c = line; *c; ++c)
        wide.push_back(static_cast<unsigned char>(*c));
    return wide;
}

}  // namespace vexar::tools::st7
