// The time-unit combo box and position edit controls of the dialogs (see PositionText.h for
// the units and texts). Unit names come from the current resource module.
#pragma once
#include <windows.h>

#include <cstdint>

// Empties the combo, adds the six unit names with their flags as item data and selects unit.
void FillTimeUnitCombo(HWND combo, uint32_t unit);
// Flag of the selected item; 0 when nothing is selected.
uint32_t GetSelectedTimeUnit(HWND combo);
// Selects the first item whose flag shares a bit with unit; its index, or -1 (selection
// unchanged) when there is none.
int SelectTimeUnit(HWND combo, uint32_t unit);

// Reads a position typed into an edit control. Empty text: the control is filled with the
// current position, which is returned. Otherwise the parsed position when it reads
// differently from the current one, else the current one (retyping the same value in another
// form changes nothing). -1 on bad input, and when the control, rate or unit is missing.
int64_t UpdatePositionEdit(HWND edit, uint32_t rate, uint32_t unit, double frameRate, int64_t current);
