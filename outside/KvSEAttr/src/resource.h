// Resource ids of KvSEAttr.dll.
#pragma once
#define IDD_ATTRIBUTE_PAGE 100
#define IDC_SAMPLE_RATE 1001
#define IDC_BITS 1002
#define IDC_PRECISION 1003
#define IDS_PAGE_TITLE 2001
