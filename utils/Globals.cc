// Process-wide buffers, names and streams shared by every module.
#include "utils/utils.h"

char LineBuf[4096];
char Line[65535];
char Fn[128];
char FnOut[128];
char Name[256];
char AppDir[512];

char* my_name = nullptr;
const char* pLogPath = ".";
char* pToolPath = nullptr;
uint8_t flInitLog = 1;

FILE* pIn = nullptr;
FILE* pOut = nullptr;
int32_t LineLen = 0;
int32_t LineCnt = 0;
int32_t InPos = 0;
uint8_t flInputFilterState = 1;
uint8_t flContentCut = 0;
