#include "userdata/path_functions.h"

#include "framework/file.h"

CString AddTrailingBackslash(CString path) {
    if (!path.IsEmpty() && path[path.GetLength() - 1] != u'\\') {
        path += u'\\';
    }
    return path;
}

CString FileNameOf(CString path) {
    const int slash = path.ReverseFind(u'\\');
    return slash < 0 ? path : path.Mid(slash + 1);
}

BOOL FileExists(platform::Env& env, const CString& path) {
    if (path.IsEmpty()) {
        return FALSE;
    }
    CFileStatus status;
    return CFile::GetStatus(env, path, status);
}
