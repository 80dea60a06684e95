// String ids of the recovery of a killed session's work.
#pragma once

#define IDS_RECORD_STEP 21028
#define IDS_RECOVERED_IN_PART 26100
