#include "layouts.h"

#include "runtime/layout.h"

namespace app {
namespace {

using rt::MenuLayout;
using rt::StandardAction;
using Kind = rt::MenuLayout::Kind;

MenuLayout Item(const char* caption, int32_t feq, StandardAction action = StandardAction::None, const char* message = "") {
  return MenuLayout{Kind::Item, caption, feq, action, message, {}};
}
MenuLayout Menu(const char* caption, int32_t feq, std::vector<MenuLayout> items,
                StandardAction action = StandardAction::None) {
  return MenuLayout{Kind::Menu, caption, feq, action, "", std::move(items)};
}
MenuLayout Separator() { return MenuLayout{Kind::Separator, "", 0, StandardAction::None, "", {}}; }

rt::WindowLayout MakeFrame() {
  rt::WindowLayout w;
  w.kind = rt::WindowKind::Frame;
  w.caption = "Application";
  w.icon = "WAFRAME.ICO";
  w.font = {"MS Sans Serif", 8, 400};
  w.defaultPosition = true;
  w.width = 505;
  w.height = 318;
  w.sizable = true;
  w.minimizeBox = w.maximizeBox = true;
  w.statusZones = {-1, 80, 120, 45};
  w.menuBarFeq = FEQ_MENUBAR;
  w.menu = {
      Menu("&File", FEQ_FILEMENU,
           {Item("&Print Setup ...", FEQ_PRINTSETUP, StandardAction::PrintSetup, "Setup printer"), Separator(),
            Item("E&xit", FEQ_EXIT, StandardAction::Close, "Exit this application")}),
      Item("Recientes", FEQ_RECIENTES),
      Menu("Comprobantes", FEQ_COMPROBANTES,
           {Item("Facturas", FEQ_COMPROBANTESFACTURAS), Item("Notas de Debito", FEQ_COMPROBANTESNOTASDEDEBITO),
            Item("Notas de Credito", FEQ_COMPROBANTESNOTASDECREDITO), Separator(),
            Item("Recibos", FEQ_COMPROBANTESRECIBOS)}),
      Menu("Informes", FEQ_COMPROBANTESINFORMES,
           {Item("Subdiario de IVA Ventas", FEQ_INFORMESSUBDIARIODEIVAVENTAS),
            Item("Saldos de Clientes", FEQ_INFORMESSALDOSDECLIENTES),
            Item("Minutas Contables", FEQ_INFORMESMINUTASCONTABLES)}),
      Menu("&Edit", FEQ_EDITMENU,
           {Item("Cu&t", FEQ_CUT, StandardAction::Cut, "Remove item to Windows Clipboard"),
            Item("&Copy", FEQ_COPY, StandardAction::Copy, "Copy item to Windows Clipboard"),
            Item("&Paste", FEQ_PASTE, StandardAction::Paste, "Paste contents of Windows Clipboard")}),
      Menu("&Window", FEQ_WINDOWMENU,
           {Item("T&ile", FEQ_TILE, StandardAction::Tile, "Make all open windows visible"),
            Item("&Cascade", FEQ_CASCADE, StandardAction::Cascade, "Stack all open windows"),
            Item("&Arrange Icons", FEQ_ARRANGE, StandardAction::ArrangeIcons, "Align all window icons")},
           StandardAction::WindowList),
      Menu("&Help", FEQ_HELPMENU,
           {Item("&Contents", FEQ_HELPINDEX, StandardAction::HelpContents, "View the contents of the help file"),
            Item("&Search for Help On...", FEQ_HELPSEARCH, StandardAction::HelpSearch, "Search for help on a subject"),
            Item("&How to Use Help", FEQ_HELPONHELP, StandardAction::HelpOnHelp, "How to use Windows Help")}),
  };
  return w;
}

rt::WindowLayout MakeDialog() {
  rt::WindowLayout w;
  w.kind = rt::WindowKind::Window;
  w.caption = "Caption";
  w.font = {"MS Sans Serif", 8, 400};
  w.defaultPosition = true;
  w.width = 395;
  w.height = 224;
  w.systemMenu = true;
  w.sizable = false;
  w.controls = {
      rt::ControlLayout{rt::ControlKind::String, FEQ_LOC_TEXTO, "", 31, 70, 318, 26, kMensajeTextCapacity, false, ""},
      // The buttons have no standard action; a click also closes the dialog, as users expect.
      // Enter presses "&OK".
      rt::ControlLayout{rt::ControlKind::Button, FEQ_OKBUTTON, "&OK", 295, 201, 35, 14, 0, true, "", true},
      rt::ControlLayout{rt::ControlKind::Button, FEQ_CANCELBUTTON, "&Cancel", 337, 201, 41, 14, 0, true, ""},
  };
  return w;
}

}  // namespace

void RegisterFrameLayouts(const std::string& frameModule, const std::string& dialogModule) {
  static const rt::WindowLayout frame = MakeFrame();
  static const rt::WindowLayout dialog = MakeDialog();
  rt::RegisterLayout(frameModule, kFrameLayout, &frame);
  rt::RegisterLayout(dialogModule, kDialogLayout, &dialog);
}

}  // namespace app
