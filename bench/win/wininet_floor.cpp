// wininet_floor.exe HOST:PORT COUNT: makes COUNT translation requests one after another with the
// same WinInet calls as the program's client (through the same handle owner), nothing else, and
// prints the milliseconds per request.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/wininet_win.h"

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string host = argv[1];
    int count = std::atoi(argv[2]);
    std::string server = host.substr(0, host.find(':'));
    int port = std::atoi(host.substr(host.find(':') + 1).c_str());
    auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        std::string path = "/translate_a/t?client=t&text=clause" + std::to_string(i) +
                           "&hl=zh-CN&sl=en&tl=zh-CN&multires=1&otf=2&ssel=0&tsel=0&sc=1";
        std::string headers =
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
            "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\nReferer: http://" +
            host + path + "\r\nAccept-Language: zh-cn\r\n";
        net::InternetHandle internet = net::open_session(nullptr);
        net::InternetHandle connection = net::connect(internet.get(), server, port, "", "");
        net::InternetHandle request =
            net::open_request(connection.get(), "GET", path, L"HTTP/1.1", INTERNET_FLAG_RELOAD);
        net::set_timeouts(request.get(), 18000);
        net::send_request(request.get(), headers, "", 0);
        char buffer[512];
        DWORD read = 1;
        while (read > 0 && InternetReadFile(request.get(), buffer, sizeof buffer, &read)) {
        }
    }
    double total = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    std::printf("%.2f\n", total / count);
    return 0;
}
