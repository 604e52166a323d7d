// A stand-in for a skin's authentication library. TAVIK_TEST_AUTH says what
// GetUserInfo does: "user:password" fills the buffers, "refuse" answers 0.
// Every call adds one to TAVIK_TEST_AUTH_CALLS in the process environment.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" int WINAPI GetUserInfo(char* userName, char* password)
{
    char calls[16] = "0";
    GetEnvironmentVariableA("TAVIK_TEST_AUTH_CALLS", calls, sizeof calls);
    snprintf(calls, sizeof calls, "%d", atoi(calls) + 1);
    SetEnvironmentVariableA("TAVIK_TEST_AUTH_CALLS", calls);

    char mode[256] = "";
    GetEnvironmentVariableA("TAVIK_TEST_AUTH", mode, sizeof mode);
    char* colon = strchr(mode, ':');
    if (strcmp(mode, "refuse") == 0 || colon == nullptr)
        return 0;
    *colon = '\0';
    lstrcpynA(userName, mode, 256);
    lstrcpynA(password, colon + 1, 256);
    return 1;
}
