// Resource ids of the generator dialog and the Sample Type dialog (the template script and the
// code include this).
#pragma once

#define IDD_GENERATOR 166
#define IDD_SAMPLE_TYPE 120

// The generator dialog (the tab control 5335 and the page frame 180 as in the effect dialog).
#define IDC_GENERATOR_TABS 5335
#define IDC_GENERATOR_PAGE_FRAME 180
#define IDC_GENERATOR_LENGTH_LABEL 193
#define IDC_GENERATOR_LENGTH 5354
#define IDC_GENERATOR_UNIT 5355
#define IDC_GENERATOR_PREVIEW 171
#define IDC_GENERATOR_HELP 173
// The Sample Type dialog.
#define IDC_SAMPLE_TYPE_HELP 9

