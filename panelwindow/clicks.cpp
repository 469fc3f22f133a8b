// What a click on the panel does: "Recientes" offers the stored tasks again, a task is
// recorded and then shown in the message dialog, the other headers open and close their
// groups, and "Salir" asks every other window, and last the frame, to close.
#include <vector>

#include "app/mensaje.h"
#include "app/recent_items.h"
#include "runtime/events.h"
#include "runtime/threads.h"
#include "task_panel.h"

namespace panelwindow {

void TASKPANEL::CloseAll() {
  // Thread 2 is this window's own: it closes together with the frame.
  for (int32_t thread = 3; thread <= rt::kMaxThreads; ++thread) rt::PostEvent(rt::EVENT_CloseWindow, 0, thread, 0);
  rt::PostEvent(rt::EVENT_CloseWindow, 0, 1, 0);
}

void TASKPANEL::EXECUTEACTION(int32_t HEADERID, int32_t TASKID, int32_t /*MOUSEBTN*/, int32_t FEQ) {
  NameRecentFile();  // rebuilt at every click: the file is re-read each time

  if (HEADERID == RECIENTES) {
    // The group itself never opens: the click goes on as a click on the chosen task.
    L.QLL_TASKPANEL_CAMPO = 0;
    app::RecentChoice chosen = app::RecentItemsPopup(L.QLL_TASKPANEL_INIFILE);
    if (chosen.slot >= 1 && chosen.slot <= app::kRecentSlots) {
      L.QLL_TASKPANEL_ENCAB = chosen.entry.header;
      L.QLL_TASKPANEL_CAMPO = chosen.entry.number;
      L.QLL_TASKPANEL_TEXTO = std::move(chosen.entry.text);
    }
    // Ids that name no task of this run (another run in the same folder re-bound the slot
    // at its start) reach the task by the stored title, as the start-up re-binding does.
    if (L.QLL_TASKPANEL_CAMPO != 0 && GETTASKTITLE(L.QLL_TASKPANEL_ENCAB, L.QLL_TASKPANEL_CAMPO).empty()) {
      const std::vector<app::RecentTask> tasks = CurrentTasks();
      if (const app::RecentTask* task = app::FindRecentTask(tasks, L.QLL_TASKPANEL_TEXTO)) {
        L.QLL_TASKPANEL_ENCAB = task->header;
        L.QLL_TASKPANEL_CAMPO = task->task;
      }
    }
    // An entry that names no task even so (its title matched none) would be recorded again
    // with an empty title and then dropped by the next update: it is left as it is, and the
    // click does nothing.
    if (L.QLL_TASKPANEL_CAMPO != 0 && !GETTASKTITLE(L.QLL_TASKPANEL_ENCAB, L.QLL_TASKPANEL_CAMPO).empty()) {
      HEADERID = L.QLL_TASKPANEL_ENCAB;
      TASKID = L.QLL_TASKPANEL_CAMPO;
    } else {
      HEADERID = 0;
      TASKID = 0;
    }
  }

  // A task is recorded before its dialog opens, so that it stays recorded whatever happens
  // while the dialog is shown; a slot of its title under another run's ids becomes this one.
  if (TASKID != 0) app::PushRecentTask(L.QLL_TASKPANEL_INIFILE, {HEADERID, TASKID, GETTASKTITLE(HEADERID, TASKID)});

  const auto toggle = [&] { SETEXPANDED(HEADERID, FEQ == 0 ? 1 : 0); };
  if (HEADERID == 0) return;
  if (HEADERID == COMPROBANTES) {
    if (TASKID == 0) toggle();
    else if (TASKID == COMPROBANTES_FACTURACION || TASKID == COMPROBANTES_PAGOS || TASKID == COMPROBANTES_OTROSPAGOS ||
             TASKID == COMPROBANTES_IMPUTACIONES)
      app::MENSAJE(GETTASKTITLE(HEADERID, TASKID));
  } else if (HEADERID == INFORMES) {
    if (TASKID == 0) toggle();
    else if (TASKID == INFORMES_SUBDIARIO_DE_IVA || TASKID == INFORMES_SALDOS || TASKID == INFORMES_RESUMEN_CTA_CTE ||
             TASKID == INFORMES_ASIENTOS_CONTABLES)
      app::MENSAJE(GETTASKTITLE(HEADERID, TASKID));
  } else if (HEADERID == SALIR) {
    if (TASKID == 0) {
      toggle();
      CloseAll();
    }
  }
}

}  // namespace panelwindow
