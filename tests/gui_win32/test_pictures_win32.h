#pragma once

// The programs' pictures as resources of the Win32 test executables (test_pictures_win32.rc):
// the tests link both programs, so each picture has an identifier of its own.
#define TEST_ORVANE_PICTURE 201
#define TEST_ORVANE_OPTIONS 202
#define TEST_TESSIK_PICTURE 301
#define TEST_TESSIK_OPTIONS 302
