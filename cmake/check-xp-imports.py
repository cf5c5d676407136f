#!/usr/bin/env python3
"""Checks that a 32-bit Vadro.exe starts on Windows XP SP3 (32-bit), as far as its file tells.

    check-xp-imports.py OBJDUMP FILE...

FILE is an executable, or a zip (the release package) whose Vadro.exe is checked. From what
`OBJDUMP -p` prints, it fails on:
- an image that is not 32-bit (PE32);
- an operating system or subsystem version above 5.1, Windows XP's, which XP's loader refuses;
- an import that is not on the list below, or one by ordinal: Windows refuses to start a program
  that imports a function its DLL lacks, so one missing name keeps Vadro from starting at all.

A name goes on the list once its page in Microsoft's Win32 API reference (learn.microsoft.com,
"Requirements", "Minimum supported client") names Windows XP or an earlier Windows. Functions whose
minimum is Windows Vista or later never go on it: the program looks those up at run time
(GetProcAddress) and copes without them, as with GetFinalPathNameByHandleA, or supplies its own, as
with the thread library's GetTickCount64 (base/tick_count64_win32.cpp).
"""
import os
import re
import subprocess
import sys
import tempfile
import zipfile

XP_IMPORTS = {
    "kernel32.dll": """
        AddVectoredExceptionHandler CloseHandle CreateEventA CreateFileA CreateSemaphoreA
        CreateThread DeleteCriticalSection DeleteFileA DuplicateHandle EnterCriticalSection
        ExitProcess FileTimeToSystemTime FillConsoleOutputAttribute FillConsoleOutputCharacterA
        FindClose FindFirstFileA FlushFileBuffers FreeLibrary GetConsoleScreenBufferInfo
        GetCurrentProcess GetCurrentProcessId GetCurrentThread GetCurrentThreadId
        GetExitCodeThread GetFileAttributesA GetFileInformationByHandle GetFileSizeEx GetFileType
        GetFullPathNameA GetHandleInformation GetLastError GetModuleFileNameA GetModuleHandleA
        GetModuleHandleW GetProcAddress GetProcessAffinityMask GetProcessHeap GetProcessTimes
        GetStartupInfoA GetStdHandle GetSystemDirectoryA GetSystemTimeAdjustment
        GetSystemTimeAsFileTime GetThreadContext GetThreadPriority GetThreadTimes GetTickCount
        GetVolumeInformationA HeapAlloc HeapDestroy HeapFree HeapReAlloc InitializeCriticalSection
        IsDBCSLeadByteEx IsDebuggerPresent LeaveCriticalSection LoadLibraryA LoadLibraryExA
        LoadLibraryW MoveFileA MoveFileExA MultiByteToWideChar OpenProcess OutputDebugStringA
        QueryPerformanceCounter QueryPerformanceFrequency RaiseException ReadFile ReleaseSemaphore
        RemoveVectoredExceptionHandler ResetEvent ResumeThread SetConsoleCursorPosition
        SetConsoleTextAttribute SetEvent SetLastError SetProcessAffinityMask SetSystemTime
        SetThreadContext SetThreadPriority SetUnhandledExceptionFilter Sleep SuspendThread
        TerminateThread TlsAlloc TlsGetValue TlsSetValue TryEnterCriticalSection VirtualProtect
        VirtualQuery WaitForMultipleObjects WaitForSingleObject WideCharToMultiByte WriteConsoleA
        WriteConsoleOutputCharacterA WriteFile
    """,
    "user32.dll": "DispatchMessageA GetMessageA MessageBoxA TranslateMessage",
    "ole32.dll": "CoCreateInstance CoInitialize CoUninitialize CreateStreamOnHGlobal",
    "oleaut32.dll": "SysAllocString SysFreeString VariantClear VariantInit",
    # The system's C runtime, for whose functions Microsoft's reference gives no minimum Windows:
    # the C library's names and the runtime's long-standing extensions, never its later additions
    # (the *_s functions, _time64 and its kin, _ftelli64 and the like).
    "msvcrt.dll": """
        __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type
        __setusermatherr _amsg_exit _beginthreadex _cexit _close _endthreadex _errno _fileno
        _getch _initterm _iob _ismbblead _ismbcspace _kbhit _lock _mbschr _mbsdec _mbsinc
        _mbsnbicmp _onexit _putch _read _setjmp3 _setmbcp _setmode _strdup _ultoa _unlock abort
        atoi calloc exit fflush fprintf fputc fputs free fwrite localeconv localtime longjmp
        malloc memchr memcmp memcpy memmove memset printf realloc setlocale signal strchr strcmp
        strerror strftime strlen strncmp time vfprintf wcslen
    """,
}
XP_VERSION = (5, 1)


def problems_of(objdump, exe):
    """What keeps `exe` from starting on Windows XP SP3, one line each."""
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    found = []
    if not re.search(r"^Magic\s+010b\b", text, re.M):
        found.append("not a 32-bit (PE32) image")
    for field, label in (("OSystem", "operating system"), ("Subsystem", "subsystem")):
        major = re.search(r"^Major%sVersion\s+(\d+)" % field, text, re.M)
        minor = re.search(r"^Minor%sVersion\s+(\d+)" % field, text, re.M)
        if not major or not minor:
            found.append("no %s version in the header" % label)
        elif (int(major[1]), int(minor[1])) > XP_VERSION:
            found.append("%s version %s.%s, above Windows XP's 5.1" % (label, major[1], minor[1]))
    dll, count = None, 0
    for line in text.splitlines():
        name = re.match(r"\tDLL Name: (\S+)", line)
        if name:
            dll = name[1]
            continue
        entry = re.match(r"\t[0-9a-f]+\t +\d+ +(\S+)", line)
        if not entry or dll is None:
            continue
        count += 1
        allowed = XP_IMPORTS.get(dll.lower())
        if allowed is None:
            found.append("imports from %s, a DLL not checked against Windows XP: %s" % (dll, entry[1]))
        elif entry[1] == "<none>":
            found.append("imports from %s by ordinal, which no list here can vouch for" % dll)
        elif entry[1] not in allowed.split():
            found.append("imports %s from %s, not on the list of what Windows XP SP3 has" % (entry[1], dll))
    if count == 0:
        found.append("no imports found in what %s printed" % objdump)
    return found


SKIPPED = 77  # the test's SKIP_RETURN_CODE


def main():
    objdump, files = sys.argv[1], sys.argv[2:]
    # A Linux build on its own (a developer's, or one whose suite is rerun on changed sources) has
    # nothing to read; the test command builds the Windows side first and asks for it.
    if not any(os.path.exists(path) for path in files) and not os.environ.get("VADRO_REQUIRE_WINDOWS_BUILD"):
        print("skipped: no 32-bit Windows build at %s" % os.path.dirname(files[0]))
        return SKIPPED
    failed = False
    for path in files:
        if not os.path.isfile(path):
            print("%s: missing (the test reads the 32-bit Windows build and its package)" % path)
            failed = True
            continue
        with tempfile.TemporaryDirectory() as folder:
            exe = path
            if path.endswith(".zip"):
                with zipfile.ZipFile(path) as package:
                    exe = package.extract("Vadro.exe", folder)
            problems = problems_of(objdump, exe)
        for problem in problems:
            print("%s: %s" % (path, problem))
        if not problems:
            print("%s: starts on Windows XP SP3 as far as its header and imports tell" % path)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
