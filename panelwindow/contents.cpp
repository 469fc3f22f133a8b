// The panel's fixed contents and configuration, and the re-binding of the stored recent
// items to this run's header and task ids (ids are drawn anew in every run, titles are not).
#include <array>
#include <utility>
#include <vector>

#include "app/globals.h"
#include "app/recent_items.h"
#include "task_panel.h"

namespace panelwindow {
namespace {

constexpr uint8_t kTaskIconSize = 16;
constexpr char kComprobantesIcon[] = "MENU_Comprobantes.ico";
constexpr char kInformesIcon[] = "Menu_Informes.ICO";
constexpr char kSalirIcon[] = "MENU_Salir.ico";

}  // namespace

std::string PanelUserName() {
  const std::string* name = app::ThisProgram().processUserName;
  return name ? *name : std::string();
}

void TASKPANEL::NameRecentFile() {
  L.QLL_TASKPANEL_INIFILE = app::RecentItemsFileName(kPanelRecentPrefix, PanelUserName());
  L.QLL_TASKPANEL_INIENTRY = app::kRecentSection;
}

void TASKPANEL::AddFixedEntries() {
  RECIENTES = ADDHEADER("Recientes", 0, 0, "", kTaskIconSize);

  COMPROBANTES = ADDHEADER("Comprobantes", 1, 1, kComprobantesIcon, kTaskIconSize);
  COMPROBANTES_FACTURACION = ADDTASK("Facturacion", 0, 0, kComprobantesIcon, 0, "Registrar FAC/ND/NC");
  COMPROBANTES_PAGOS = ADDTASK("Pagos", 0, 0, kComprobantesIcon, 0, "Registrar Ordenes de Pagos a Proveedores");
  COMPROBANTES_OTROSPAGOS = ADDTASK("Otros Pagos", 0, 0, kComprobantesIcon, 0, "Registrar Otros Pagos (No son Compras)");
  COMPROBANTES_IMPUTACIONES =
      ADDTASK("Imputaciones", 0, 0, kComprobantesIcon, 0, "Registrar Imputaciones de Comprobantes Cta Cte");

  INFORMES = ADDHEADER("Informes", 0, 0, kInformesIcon, kTaskIconSize);
  INFORMES_SUBDIARIO_DE_IVA = ADDTASK("Subdiario de IVA", 0, 0, kInformesIcon, 0, "Subdiario de IVA Compras");
  INFORMES_SALDOS = ADDTASK("Saldos", 0, 0, kInformesIcon, 0, "Saldos de Proveedores");
  INFORMES_RESUMEN_CTA_CTE =
      ADDTASK("Resumen Cta Cte", 0, 0, kInformesIcon, 0, "Resumen de Cuenta Corriente Proveedores");
  INFORMES_ASIENTOS_CONTABLES = ADDTASK("Asientos Contables", 0, 0, kInformesIcon, 0, "Emitir Asientos Contables");

  SALIR = ADDHEADER("Salir", 0, 0, kSalirIcon, kTaskIconSize);
}

void TASKPANEL::Configure() {
  SETCOLORGRP(1, 0x00E6A07A, 0x00E6A07A, 0x00D67563, 0, 0);                 // the panel
  SETCOLORGRP(2, 0x00F9E7E0, 0x00B24D07, 0x00C75C22, 0x00FFFFFF, 0x00FF8E42);  // style-0 headers
  SETCOLORGRP(3, 0x00F9E7E0, 0x00FFFFFF, 0x00F9D5C7, 0x00C75C22, 0x00FF8E42);  // style-1 headers
  SETCOLORGRP(4, 0x00F9E7E0, 0, 0, 0x00BC3139, 0, 0);                        // tasks
  SETFONT("Tahoma");
  SETMARGINS(5, 10, 5, 10);
  SETAPPNAME("Brivane.EXE");
  SETWIZARDMODE(1);
  SETTOOLTIPMODE(2);  // balloons; stored now, so that INIT makes the tooltip window once
}

void TASKPANEL::INIT(int32_t NCONTROL) {
  AddFixedEntries();
  Configure();
  QFTASKPANELCLASS::INIT(NCONTROL);
  RebindRecentItems();
}

void TASKPANEL::KILL() {
  app::Trace("TASKPANEL KILL");
  QFTASKPANELCLASS::KILL();
}

// Every slot whose stored title is a current task title gets this run's header and task
// ids; the others keep theirs. Titles are never written, and nothing beyond slot 20; the
// file is replaced in one step, so a start killed at any moment leaves the list as it was
// or wholly re-bound.
void TASKPANEL::RebindRecentItems() {
  NameRecentFile();
  app::RebindRecentItems(L.QLL_TASKPANEL_INIFILE, CurrentTasks());
}

std::vector<app::RecentTask> TASKPANEL::CurrentTasks() {
  const std::array<std::pair<int32_t, int32_t>, 8> tasks = {{
      {COMPROBANTES, COMPROBANTES_FACTURACION},
      {COMPROBANTES, COMPROBANTES_PAGOS},
      {COMPROBANTES, COMPROBANTES_OTROSPAGOS},
      {COMPROBANTES, COMPROBANTES_IMPUTACIONES},
      {INFORMES, INFORMES_SUBDIARIO_DE_IVA},
      {INFORMES, INFORMES_SALDOS},
      {INFORMES, INFORMES_RESUMEN_CTA_CTE},
      {INFORMES, INFORMES_ASIENTOS_CONTABLES},
  }};
  std::vector<app::RecentTask> current;
  for (const auto& [header, task] : tasks) current.push_back({header, task, GETTASKTITLE(header, task)});
  return current;
}

}  // namespace panelwindow
