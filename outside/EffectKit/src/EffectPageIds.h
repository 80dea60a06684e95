// Resource and control ids of the kit's property page (the rows are made at run time).
#pragma once

#define IDD_EFFECT_PAGE 100
#define IDC_FX_LABEL 2000  // + row
#define IDC_FX_SLIDER 2100 // + row
#define IDC_FX_EDIT 2200   // + row
#define IDC_FX_UNIT 2300   // + row
#define IDC_FX_LIST 2400   // + row
