#pragma once
// The notification rows of the mouse panel (DPI stages, report rate, pointer
// settings) and of the lighting panel every device page carries.
namespace app {

class CMainWnd;
class NotifyRoutes;

void AddMouseRoutes(CMainWnd& wnd, NotifyRoutes& routes);
void AddLightPanelRoutes(CMainWnd& wnd, NotifyRoutes& routes);

} // namespace app
