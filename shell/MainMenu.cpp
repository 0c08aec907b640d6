#include "shell/MainMenu.h"

#include "platform/ui/Menu.h"
#include "shell/core/CommandTable.h"

#include <QMenuBar>

namespace vexar::shell {

namespace {

struct Item {
    unsigned id;  // 0: a separator
    const char16_t* text;
};

void Fill(ui::Menu menu, std::initializer_list<Item> items)
{
    for (const Item& item : items) {
        if (item.id == 0)
            menu.InsertSeparator(-1);
        else
            menu.InsertCommand(-1, item.id, item.text);
    }
}

}  // namespace

void BuildMainMenu(QMenuBar& bar)
{
    ui::Menu menu(&bar);
    Fill(menu.InsertPopup(-1, u"&File"), {
                                            {ID_IDENT_CENTR, u"&Identificazione centralina"},
                                            {ID_CONFIG_VETTURA, u"&Configurazione vettura"},
                                            {ID_ACQUISIZIONE, u"&Acquisizione dati"},
                                            {ID_DIAGNOSI, u"&Diagnosi"},
                                            {ID_CANC_ERR, u"Cancella&zione errori"},
                                            {ID_RESET_MEM, u"&Reset memoria"},
                                            {ID_SALVA_CNF, u"&Salva configurazione attuale"},
                                            {ID_CARICA_CNF, u"Carica &nuova configurazione"},
                                            {ID_PRG_ECU, u"&Programmazione centralina"},
                                            {ID_TARMIX, u"Ca&librazione automatica"},
                                            {ID_ASS_REM, u"Assistenza r&emota"},
                                            {ID_TEST, u"&Test"},
                                            {ID_PRG_PALM, u"Programmazione pal&mare"},
                                            {ID_AGG_AUTO, u"A&ggiornamenti automatici"},
                                            {ID_CREA_CHK, u"Crea chec&klist"},
                                            {ID_DIAG_BENZ, u"Diagnosi ben&zina"},
                                            {0, nullptr},
                                            {ID_APP_EXIT, u"&Uscita"},
                                        });
    Fill(menu.InsertPopup(-1, u"&Connessione"), {
                                                  {ID_CONNETTI, u"&Connetti"},
                                                  {ID_DISCONNETTI, u"&Disconnetti"},
                                                  {ID_CONNETTI_BENZ, u"Co&nnetti benzina"},
                                                  {ID_DISCONNETTI_BENZ, u"Di&sconnetti benzina"},
                                              });
    Fill(menu.InsertPopup(-1, u"&Visualizza"), {{ID_VIEW_STATUS_BAR, u"Barra di st&ato"}});
    ui::Menu tools = menu.InsertPopup(-1, u"&Strumenti");
    Fill(tools.InsertPopup(-1, u"&Baud rate"), {
                                                  {ID_BAUD_9600, u"9600"},
                                                  {ID_BAUD_19200, u"19200"},
                                                  {ID_BAUD_38400, u"38400"},
                                                  {ID_BAUD_57600, u"57600"},
                                                  {ID_BAUD_115200, u"115200"},
                                              });
    Fill(tools, {{ID_COMMENTI, u"Co&mmenti"}});
    Fill(tools.InsertPopup(-1, u"Co&nnessione"), {{ID_LINEA_K, u"&Linea K"}, {ID_SERIALE, u"&Seriale"}});
    Fill(tools, {{ID_CENTRALINA, u"&Centralina"}});
    Fill(tools.InsertPopup(-1, u"&Assistenza remota"),
         {{ID_REMOTE_MASTER, u"&Master"}, {ID_REMOTE_SLAVE, u"&Slave"}});
    Fill(menu.InsertPopup(-1, u"F&unzioni"), {
                                               {ID_ESPORTA, u"Esporta in &binario..."},
                                               {ID_COMPARA, u"Comparazione &file parametri"},
                                           });
    menu.InsertCommand(-1, ID_LINGUA_PLACEHOLDER, u"&Lingua");
    Fill(menu.InsertPopup(-1, u"&?"), {{ID_APP_ABOUT, u"Infor&mazioni su VEXAR..."}});
}

}  // namespace vexar::shell
