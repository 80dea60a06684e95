// KvRecordOpen <file>: stands in for the user's browser in tests. It writes the file it was
// asked to open into "kv_record_open.txt" of the temporary folder and ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char out[MAX_PATH * 2];
    std::snprintf(out, sizeof out, "%skv_record_open.txt", temp);
    FILE* f = std::fopen(out, "w");
    if (!f)
        return 1;
    std::fputs(argc > 1 ? argv[1] : "", f);
    std::fclose(f);
    return 0;
}
