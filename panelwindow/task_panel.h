#pragma once
// TASKPANEL: the task-panel window's panel object. INIT fills the panel with its fixed
// groups and tasks, configures it, takes over the control and re-binds the stored recent
// items to this run's ids; EXECUTEACTION carries out every click.
#include <cstdint>
#include <string>
#include <vector>

#include "app/recent_items.h"
#include "taskpanel/qftaskpanel.h"

namespace panelwindow {

// Prefix of the window's recent-item file (then the user name and ".ini").
constexpr char kPanelRecentPrefix[] = ".\\RECIENTES.TaskPanel.";

// The procedure's locals that the panel's operations work on; one set per window run.
struct PanelLocals {
  std::string QLL_TASKPANEL_INIFILE;   // at most 500 characters
  std::string QLL_TASKPANEL_INIENTRY;  // the section
  std::string QLL_TASKPANEL_TEXTO;     // one stored title, at most 100
  int32_t QLL_TASKPANEL_ENCAB = 0;
  int32_t QLL_TASKPANEL_CAMPO = 0;
};

class TASKPANEL : public QFTASKPANELCLASS {
 public:
  explicit TASKPANEL(PanelLocals& locals) : L(locals) {}

  void INIT(int32_t NCONTROL) override;
  // The class's own KILL, noted in the start-up trace as it runs.
  void KILL() override;
  void EXECUTEACTION(int32_t HEADERID, int32_t TASKID, int32_t MOUSEBTN, int32_t FEQ) override;

  // This run's ids of the fixed headers and tasks; 0 until INIT has added them.
  int32_t RECIENTES = 0;
  int32_t COMPROBANTES = 0;
  int32_t COMPROBANTES_FACTURACION = 0;
  int32_t COMPROBANTES_PAGOS = 0;
  int32_t COMPROBANTES_OTROSPAGOS = 0;
  int32_t COMPROBANTES_IMPUTACIONES = 0;
  int32_t INFORMES = 0;
  int32_t INFORMES_SUBDIARIO_DE_IVA = 0;
  int32_t INFORMES_SALDOS = 0;
  int32_t INFORMES_RESUMEN_CTA_CTE = 0;
  int32_t INFORMES_ASIENTOS_CONTABLES = 0;
  int32_t SALIR = 0;

 private:
  void AddFixedEntries();
  void Configure();
  void RebindRecentItems();
  // The eight tasks with this run's ids and their titles, in the panel's order.
  std::vector<app::RecentTask> CurrentTasks();
  // Sets the file name and section of the window's recent-item list from the user name.
  void NameRecentFile();
  void CloseAll();

  PanelLocals& L;
};

// The user name of the recent-item files (the program's process-wide text).
std::string PanelUserName();

}  // namespace panelwindow
