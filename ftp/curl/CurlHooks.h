#pragma once
// What CurlConnection hands libcurl: its callbacks, a command to send as
// it is, and the loop that runs one operation.
#include <curl/curl.h>
#include <functional>
#include <string>

namespace ftp {

// libcurl's debug callback: control text and data as they pass.
int DebugHook(CURL*, curl_infotype type, char* data, std::size_t size, void* connection);
// Its progress callback: asks whether the user stopped the transfer.
int TransferInfoHook(void* connection, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
// Its socket callback: lets the connection refuse a control connection of
// libcurl's own.
curl_socket_t OpenSocketHook(void* connection, curlsocktype purpose, curl_sockaddr* address);

// Commands for CURLOPT_QUOTE or CURLOPT_POSTQUOTE, in order.
class QuoteList {
public:
    explicit QuoteList(const std::string& command, const std::string& then = {});
    ~QuoteList();
    QuoteList(const QuoteList&) = delete;
    QuoteList& operator=(const QuoteList&) = delete;
    curl_slist* get() const { return list_; }

private:
    curl_slist* list_;
};

// curl_easy_perform with a bounded idle wait; the multi handle keeps the
// connection for the next operation. `control` is its socket, or bad when
// the operation left none open. Ended as aborted once `ended` says so,
// whatever the operation waits for.
CURLcode RunOperation(CURLM* multi, CURL* handle, curl_socket_t& control,
                      const std::function<bool()>& ended);

} // namespace ftp
