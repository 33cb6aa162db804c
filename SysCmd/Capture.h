// The output capture's reading and parsing apart from running a command,
// so that captured text from anywhere (a file, memory) goes the same way.
#pragma once

#include <cstdint>
#include <cstdio>

#include "SysCmd/SysCmd.h"

// The lines of in as GetCmdResponse keeps them: pieces of at most 4095
// characters, only those that hold filter when it is not empty; null for
// none.
Response* ReadResponse(FILE* in, const char* filter);
// GetDiskSpace over the lines df -k printed (null for none).
int DiskSpaceOf(const Response* list, int64_t* bytes);
// GetSysPsIdList over the lines of ps -e that hold name.
char* PsIdListOf(const Response* list, const char* name);
