// Commands both the main frame and the multitrack view name: the envelope display items, the
// transport items and the marker jumps. The view handles them; the frame builds them into its
// "&Control" menu and greys them without an active view.
#pragma once

#define ID_VIEW_VOLUME_ENVELOPES 1023
#define ID_VIEW_PAN_ENVELOPES 1115
#define ID_VIEW_PAN_ENVELOPES2 1116
#define ID_TRANSPORT_PLAY 1049
#define ID_TRANSPORT_RECORD 1050
#define ID_TRANSPORT_PAUSE 1051
#define ID_TRANSPORT_LOOP 1052
#define ID_TRANSPORT_RECORD_WHILE_PLAYING 1053
#define ID_RECORDING_CONTROL 1054
#define ID_TRANSPORT_GO_TO_PLAY_START 1055
#define ID_TRANSPORT_READ_AUTOMATION 1056
#define ID_TRANSPORT_WRITE_AUTOMATION 1057
#define ID_TRANSPORT_RECORDING_TIMER 1058
#define ID_GO_TO_PREVIOUS_MARKER 1120
#define ID_GO_TO_NEXT_MARKER 1121
