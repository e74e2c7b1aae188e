// A stand-in for the editor, for the console's tests and fuzz targets: no
// window and no graphics library; a visit returns at once after painting
// one cell chosen from a count of visits, so saves write changed areas.
// Link the library editor_standin in place of editor; this is its control.
#pragma once

// The count of visits back to zero, so that each run paints the same cells.
void reset_editor_standin();
