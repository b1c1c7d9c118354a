#include "userdata/path_functions.h"

#include "framework/file.h"
#include "platform/carried_path.h"

CString AddTrailingBackslash(CString path) {
    return CString(platform::carried::WithTrailingSeparator(path.str()));
}

CString FileNameOf(CString path) {
    return CString(platform::carried::LastComponent(path.str()));
}

BOOL FileExists(platform::Env& env, const CString& path) {
    if (path.IsEmpty()) {
        return FALSE;
    }
    CFileStatus status;
    return CFile::GetStatus(env, path, status);
}
