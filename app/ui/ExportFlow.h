// The two exports as the main window runs them: the size dialog and the file dialog, then the
// progress window over the worker, with the canvas kept from drawing the photos while the worker
// swaps them, and one alert that says why when the export fails. A Cancel stays silent.
#pragma once

class PanomerDoc;
class PanomerView;
class Quor_Wnd;

// The JPEG export of `doc` (which needs at least one photo) over `parent`; canvas may be null.
void ExportJpeg(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas);
// The layered PSD export, the same way.
void ExportPsd(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas);
