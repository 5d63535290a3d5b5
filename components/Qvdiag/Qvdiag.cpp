// Qvdiag.dll, the diagnosis and test-page library. Until the device work is written, every entry answers
// with the result the installer takes as failure, never as success.
#include "system/component_entries.h"

extern "C" {

QV_Diagnosis Diagnosis;
QV_DiagnosisEx DiagnosisEx;
QV_PrintTestPage PrintTestPage;
QV_MetaTestPage MetaTestPage;
QV_PrintPrnFile PrintPrnFile;

int QV_ENTRY Diagnosis(const char*, const char*, const char*, const char*)
{
    return 1;
}

int QV_ENTRY DiagnosisEx(const char*, const char*, const char*, const char*, int)
{
    return 1;
}

int QV_ENTRY PrintTestPage(const char*, const char*, const char*, const char*, const char*)
{
    return -1;
}

int QV_ENTRY MetaTestPage(const char*, const char*)
{
    return -1;
}

int QV_ENTRY PrintPrnFile(const char*, const char*)
{
    return -1;
}

}  // extern "C"
