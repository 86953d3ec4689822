// The exports as the main window runs them: the size dialog and the file dialog, then the
// progress window over the worker, with the canvas kept from drawing the photos while the worker
// swaps them, and one alert that says why an export failed, or what a cancelled one left.
#pragma once

class PanomerDoc;
class PanomerView;
class Quor_Wnd;

// True when photos of `doc` cannot be loaded (their files are gone, moved or unreadable): the
// export would lack them, so it is refused with one alert over `parent` that names them.
bool RefuseExportWithMissingPhotos(Quor_Wnd* parent, const PanomerDoc& doc);

// The JPEG export of `doc` (which needs at least one photo) over `parent`; canvas may be null.
// Photos that cannot be loaded refuse it before anything is asked.
void ExportJpeg(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas);
// The layered PSD export, the same way.
void ExportPsd(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas);
// The PTO export at the document's export size (canvas may be null): without a path, the checks
// (the projection, the size, the photos) and then the save dialog, which sends kCmdExportPto with the chosen path to `parent`;
// with a path, the file is written there, and an alert says why when it cannot be.
void ExportPto(Quor_Wnd* parent, PanomerDoc* doc, PanomerView* canvas, const char* path);
