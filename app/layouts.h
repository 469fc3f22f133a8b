#pragma once
// The compiled layouts of the frame and the message dialog, and their control numbers.
#include <cstdint>
#include <string>

namespace app {

// Control numbers of the frame's menu tree, in layout order.
constexpr int32_t FEQ_MENUBAR = -1;
constexpr int32_t FEQ_FILEMENU = -2;
constexpr int32_t FEQ_PRINTSETUP = -3;
constexpr int32_t FEQ_EXIT = -4;
constexpr int32_t FEQ_RECIENTES = -5;
constexpr int32_t FEQ_COMPROBANTES = -6;
constexpr int32_t FEQ_COMPROBANTESFACTURAS = -7;
constexpr int32_t FEQ_COMPROBANTESNOTASDEDEBITO = -8;
constexpr int32_t FEQ_COMPROBANTESNOTASDECREDITO = -9;
constexpr int32_t FEQ_COMPROBANTESRECIBOS = -10;
constexpr int32_t FEQ_COMPROBANTESINFORMES = -11;
constexpr int32_t FEQ_INFORMESSUBDIARIODEIVAVENTAS = -12;
constexpr int32_t FEQ_INFORMESSALDOSDECLIENTES = -13;
constexpr int32_t FEQ_INFORMESMINUTASCONTABLES = -14;
constexpr int32_t FEQ_EDITMENU = -15;
constexpr int32_t FEQ_CUT = -16;
constexpr int32_t FEQ_COPY = -17;
constexpr int32_t FEQ_PASTE = -18;
constexpr int32_t FEQ_WINDOWMENU = -19;
constexpr int32_t FEQ_TILE = -20;
constexpr int32_t FEQ_CASCADE = -21;
constexpr int32_t FEQ_ARRANGE = -22;
constexpr int32_t FEQ_HELPMENU = -23;
constexpr int32_t FEQ_HELPINDEX = -24;
constexpr int32_t FEQ_HELPSEARCH = -25;
constexpr int32_t FEQ_HELPONHELP = -26;

// Controls of the message dialog.
constexpr int32_t FEQ_LOC_TEXTO = 1;
constexpr int32_t FEQ_OKBUTTON = 2;
constexpr int32_t FEQ_CANCELBUTTON = 3;
constexpr std::size_t kMensajeTextCapacity = 200;

constexpr char kFrameLayout[] = "P1$APPFRAME";
constexpr char kDialogLayout[] = "P1$WINDOW";

// Registers the frame and dialog layouts under the given resource module names.
void RegisterFrameLayouts(const std::string& frameModule, const std::string& dialogModule);

}  // namespace app
