#pragma once
// Brivane's task-panel window: an MDI child of the application frame, on a thread of its own,
// whose one control is taken over by the task panel with the fixed groups "Recientes",
// "Comprobantes", "Informes" and "Salir".
#include <string>

#include "runtime/modules.h"

namespace panelwindow {

// The resource module and name of the window's layout.
constexpr char kPanelModule[] = "Brivane$QUILL002";
constexpr char kPanelLayout[] = "P1$WINDOW";
constexpr char kProcedureName[] = "Main_TaskPanel";
// The control the panel takes over.
constexpr int32_t FEQ_XPTASKPANEL = 1;

// The window procedure: builds the window, runs it until it closes and tears it down.
// Started by the frame on a new thread; returns when the window has closed.
void MAIN_TASKPANEL();

// Registers the layout "P1$WINDOW" under `module`.
void RegisterPanelLayout(const std::string& module);

// The window's module: its start-up makes sure image controls exist and registers the layout.
rt::Module PanelWindowModule(const std::string& module = kPanelModule);

}  // namespace panelwindow
