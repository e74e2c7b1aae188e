// The stand-in editor's own control: its count of visits back to zero, so
// that each fuzz input paints the same cells.
#pragma once

void reset_editor_standin();
