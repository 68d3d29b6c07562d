#include "CurlHooks.h"

#include <cstddef>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>

#include "CurlConnection.h"

namespace ftp {

namespace {

// libcurl (7.88) may leave a passive data connection unstarted until its
// one-second idle wake-up; waking it sooner starts every transfer at once.
constexpr int kLongestIdleWaitMs = 10;

} // namespace

int DebugHook(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    auto* connection = static_cast<CurlConnection*>(user);
    if (type == CURLINFO_HEADER_IN || type == CURLINFO_HEADER_OUT)
        connection->OnControlText(type == CURLINFO_HEADER_IN, std::string(data, size));
    else if (type == CURLINFO_DATA_IN)
        connection->OnDataIn(data, size);
    return 0;
}

// Called by libcurl at least once a second during a transfer, stalled or not.
int TransferInfoHook(void* connection, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlConnection*>(connection)->ShouldEnd() ? 1 : 0;
}

curl_socket_t OpenSocketHook(void* connection, curlsocktype purpose, curl_sockaddr* address) {
    std::uint16_t port = 0; // sin6_port lies where sin_port does
    if (address->family == AF_INET || address->family == AF_INET6)
        std::memcpy(&port,
                    reinterpret_cast<const char*>(&address->addr) + offsetof(sockaddr_in, sin_port),
                    sizeof port);
    if (purpose == CURLSOCKTYPE_IPCXN &&
        !static_cast<CurlConnection*>(connection)->MayConnect(ntohs(port)))
        return CURL_SOCKET_BAD;
    return ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
}

QuoteList::QuoteList(const std::string& command, const std::string& then) {
    // The leading '*' keeps libcurl from dropping the connection when the
    // server refuses the command; we judge the reply ourselves.
    list_ = curl_slist_append(nullptr, ("*" + command).c_str());
    if (!then.empty())
        list_ = curl_slist_append(list_, ("*" + then).c_str());
}

QuoteList::~QuoteList() {
    curl_slist_free_all(list_);
}

CURLcode RunOperation(CURLM* multi, CURL* handle, curl_socket_t& control,
                      const std::function<bool()>& ended) {
    if (curl_multi_add_handle(multi, handle) != CURLM_OK)
        return CURLE_FAILED_INIT;
    int running = 1;
    bool endedEarly = false;
    CURLMcode state = curl_multi_perform(multi, &running);
    while (state == CURLM_OK && running > 0 && !(endedEarly = ended())) {
        state = curl_multi_poll(multi, nullptr, 0, kLongestIdleWaitMs, nullptr);
        if (state == CURLM_OK)
            state = curl_multi_perform(multi, &running);
    }
    CURLcode result = endedEarly                     ? CURLE_ABORTED_BY_CALLBACK
                      : state == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY
                                                     : CURLE_RECV_ERROR;
    int left = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &left))
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    control = CURL_SOCKET_BAD; // asked while the handle still knows its connection
    curl_easy_getinfo(handle, CURLINFO_ACTIVESOCKET, &control);
    curl_multi_remove_handle(multi, handle);
    return result;
}

} // namespace ftp
