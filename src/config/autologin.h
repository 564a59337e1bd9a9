// The start-up login: the identity cut from the executable's file name, the
// login request body and the reading of the login reply. CMainWnd::AutoLogin
// is defined beside these.
#pragma once

#include <string>

#include "config/login_result.h"

// The running executable's file name, extension included.
std::wstring GetExeFileName();
// Channel code and click id of the running executable.
std::wstring GetChannelCode();
std::wstring GetClickId();

// The same rules on a given path or file name.
std::wstring ExeFileNameFromPath(const std::wstring& path);
std::wstring ChannelCodeFromFileName(const std::wstring& fileName);
std::wstring ClickIdFromFileName(const std::wstring& fileName);

// The login body as UTF-8 JSON, every value escaped.
std::string BuildLoginBody(const std::wstring& exeName, const std::wstring& channelCode,
                           const std::wstring& clickId, const std::wstring& machineCode);

// Fills result from the reply's "data" object, or from the whole reply when
// it has none. True when uid is not 0 and token and machine code are set.
bool ParseLoginResponse(const std::string& reply, LoginResult& result);
