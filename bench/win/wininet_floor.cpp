// wininet_floor.exe HOST:PORT COUNT: makes COUNT translation requests one after another with the
// same WinInet calls as the program's client, nothing else, and prints the milliseconds per request.
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string host = argv[1];
    int count = std::atoi(argv[2]);
    std::string server = host.substr(0, host.find(':'));
    INTERNET_PORT port = static_cast<INTERNET_PORT>(std::atoi(host.substr(host.find(':') + 1).c_str()));
    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        std::string path = "/translate_a/t?client=t&text=clause" + std::to_string(i) +
                           "&hl=zh-CN&sl=en&tl=zh-CN&multires=1&otf=2&ssel=0&tsel=0&sc=1";
        std::string headers =
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
            "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\nReferer: http://" +
            host + path + "\r\nAccept-Language: zh-cn\r\n";
        HINTERNET internet = InternetOpenA("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)", INTERNET_OPEN_TYPE_DIRECT,
                                           "", "", 0);
        HINTERNET connection = InternetConnectA(internet, server.c_str(), port, "", "", INTERNET_SERVICE_HTTP, 0, 0);
        HINTERNET request = HttpOpenRequestA(connection, "GET", path.c_str(), "HTTP/1.1", nullptr, nullptr,
                                             INTERNET_FLAG_RELOAD, 0);
        DWORD timeout = 18000;
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
            InternetSetOptionA(request, option, &timeout, sizeof timeout);
        }
        HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(headers.size()), const_cast<char*>(""), 0);
        char buffer[512];
        DWORD read = 1;
        while (read > 0 && InternetReadFile(request, buffer, sizeof buffer, &read)) {
        }
        InternetCloseHandle(internet);
        InternetCloseHandle(connection);
        InternetCloseHandle(request);
    }
    double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::printf("%.2f\n", total / count);
    return 0;
}
