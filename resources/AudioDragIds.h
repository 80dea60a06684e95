// Ids of the audio drag-and-drop between and within documents.
#pragma once

#define IDS_CMD_GENERATE 21030
