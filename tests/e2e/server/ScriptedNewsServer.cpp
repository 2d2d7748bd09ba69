#include "ScriptedNewsServer.h"

#include <poll.h>
#include <sys/socket.h>

#include <chrono>
#include <cinttypes>
#include <fstream>
#include <functional>
#include <optional>
#include <iterator>

#include "connection/Category.h"
#include "connection/Protocol.h"
#include "framework/platform/Text.h"
#include "tools/demo-server/VersionSite.h"

namespace e2e {
namespace {

constexpr int kPollMs = 20;
constexpr unsigned kSocketTimeoutMs = 5000;

std::string Now() {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId64 ".%03" PRId64, static_cast<std::int64_t>(micros / 1000),
                  static_cast<std::int64_t>(micros % 1000));
    return text;
}

bool Readable(platform::SocketHandle socket, int timeoutMs) {
    pollfd entry{socket, POLLIN, 0};
    return poll(&entry, 1, timeoutMs) > 0;
}

std::int64_t UnixSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::vector<std::uint8_t> Framed(const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> frame;
    wire::AppendFrame(frame, payload.data(), payload.size());
    return frame;
}

std::vector<std::uint8_t> NewsFrame(const Guid& category, const std::string& title, const std::string& link) {
    return Framed(wire::NewsPayload(category, UnixSeconds(), platform::FromUtf8(title), platform::FromUtf8(link)));
}

std::string Describe(const std::vector<std::uint8_t>& payload) {
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(payload[at] | payload[at + 1] << 8 | payload[at + 2] << 16 |
                                          static_cast<std::uint32_t>(payload[at + 3]) << 24);
    };
    if (payload == wire::HeartbeatPayload()) return "heartbeat";
    if (payload.size() == 20 && u32(0) == wire::MSG_CATEGORY_REQUEST) {
        Guid guid;
        std::copy(payload.begin() + 4, payload.end(), guid.bytes.begin());
        return "category " + CategoryName(guid);
    }
    if (payload.size() == 12 && u32(0) == wire::MSG_CONTROL && u32(4) == wire::CTL_SIGNATURE) {
        char text[32];
        std::snprintf(text, sizeof text, "signature 0x%x", u32(8));
        return text;
    }
    return "other " + std::to_string(payload.size()) + (payload.size() >= 4 ? " type=" + std::to_string(u32(0)) : "");
}

}  // namespace

void EventLog::Line(const std::string& text) {
    std::lock_guard lock(mutex_);
    std::fputs((Now() + " " + text + "\n").c_str(), out_);
    std::fflush(out_);
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

struct ScriptedNewsServer::Client {
    int id = 0;
    platform::SocketHandle socket = platform::kNoSocket;
    std::mutex sendMutex;
    bool closed = false;                 // under the server's mutex
    std::size_t requestsSeen = 0;        // category requests an expect step has taken
    std::vector<Guid> requests;          // under the server's mutex
    std::thread reader;
};

ScriptedNewsServer::ScriptedNewsServer(std::uint16_t newsPort, std::uint16_t httpPort, EventLog& log) : log_(log) {
    newsPort_ = newsPort;
    if (!OpenListener()) {
        newsPort_ = 0;
        return;
    }
    httpListener_ = platform::ListenTcp("127.0.0.1", httpPort, &httpPort_);
    versionPage_ = VersionPageBody({"1.0.1", "127.0.0.1", newsPort_});
    log_.Line("listening " + std::to_string(newsPort_) + " " + std::to_string(httpPort_));
    acceptor_ = std::thread([this] { AcceptLoop(); });
    if (httpListener_ != platform::kNoSocket) http_ = std::thread([this] { ServeHttp(); });
}

ScriptedNewsServer::~ScriptedNewsServer() {
    StopStream();
    stopping_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    if (http_.joinable()) http_.join();
    CloseListener();
    platform::CloseSocket(httpListener_);
    std::vector<std::shared_ptr<Client>> clients;
    {
        std::lock_guard lock(mutex_);
        clients.swap(clients_);
    }
    for (auto& client : clients)
        if (client->reader.joinable()) client->reader.join();
}

bool ScriptedNewsServer::OpenListener() {
    std::lock_guard lock(listenerMutex_);
    if (listener_ != platform::kNoSocket) return true;
    std::uint16_t bound = 0;
    listener_ = platform::ListenTcp("127.0.0.1", newsPort_, &bound);
    if (listener_ == platform::kNoSocket) return false;
    newsPort_ = bound;
    return true;
}

void ScriptedNewsServer::CloseListener() {
    std::lock_guard lock(listenerMutex_);
    platform::CloseSocket(listener_);
    listener_ = platform::kNoSocket;
}

void ScriptedNewsServer::AcceptLoop() {
    int next = 1;
    while (!stopping_) {
        platform::SocketHandle socket = platform::kNoSocket;
        {
            std::lock_guard lock(listenerMutex_);
            if (listener_ != platform::kNoSocket && Readable(listener_, kPollMs))
                socket = platform::AcceptConnection(listener_);
        }
        if (socket == platform::kNoSocket) {
            std::this_thread::sleep_for(std::chrono::milliseconds(listener_ == platform::kNoSocket ? kPollMs : 1));
            continue;
        }
        platform::SetSocketTimeouts(socket, kSocketTimeoutMs);
        auto client = std::make_shared<Client>();
        client->id = next++;
        client->socket = socket;
        log_.Line("accept " + std::to_string(client->id));
        std::lock_guard lock(mutex_);
        clients_.push_back(client);
        client->reader = std::thread([this, client] { ServeClient(client); });
        changed_.notify_all();
    }
}

void ScriptedNewsServer::ServeClient(std::shared_ptr<Client> client) {
    const std::string id = std::to_string(client->id);
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> historyEndDue;
    std::vector<std::uint8_t> payload;
    bool peerClosed = false;
    while (!stopping_) {
        if (historyEndDue && Clock::now() >= *historyEndDue) {
            historyEndDue.reset();
            SendTo(*client, Framed(wire::HistoryEndPayload()), "history-end");
        }
        if (!Readable(client->socket, kPollMs)) continue;
        if (wire::ReadFrame(payload, client->socket) <= 0) {
            peerClosed = true;
            break;
        }
        const std::string what = Describe(payload);
        log_.Line("recv " + id + " " + what);
        if (what == "heartbeat" && echoHeartbeats_) SendTo(*client, Framed(wire::HeartbeatPayload()), "heartbeat");
        if (what.starts_with("category ")) {
            Guid guid;
            std::copy(payload.begin() + 4, payload.end(), guid.bytes.begin());
            AutoHistory automatic;
            {
                std::lock_guard lock(mutex_);
                client->requests.push_back(guid);
                automatic = autoHistory_;
                changed_.notify_all();
            }
            if (automatic.on) {
                std::vector<std::uint8_t> burst;
                for (unsigned i = 1; i <= automatic.count; ++i) {
                    auto frame = NewsFrame(guid, "历史 " + std::to_string(i), "http://127.0.0.1/history/" + std::to_string(i));
                    burst.insert(burst.end(), frame.begin(), frame.end());
                }
                if (!burst.empty()) SendTo(*client, burst, "history " + CategoryName(guid) + " " + std::to_string(automatic.count));
                historyEndDue.reset();
                if (automatic.endAfterMs) historyEndDue = Clock::now() + std::chrono::milliseconds(*automatic.endAfterMs);
            }
        }
    }
    {
        std::lock_guard lock(mutex_);
        const bool byServer = client->closed;
        client->closed = true;
        {
            std::lock_guard sendLock(client->sendMutex);
            platform::CloseSocket(client->socket);
            client->socket = platform::kNoSocket;
        }
        if (peerClosed) log_.Line((byServer ? "server-closed " : "client-closed ") + id);
        changed_.notify_all();
    }
}

std::shared_ptr<ScriptedNewsServer::Client> ScriptedNewsServer::Current() {
    std::lock_guard lock(mutex_);
    return clients_.empty() ? nullptr : clients_.back();
}

bool ScriptedNewsServer::SendTo(Client& client, const std::vector<std::uint8_t>& bytes, const std::string& what) {
    std::lock_guard lock(client.sendMutex);
    if (client.socket == platform::kNoSocket) return false;
    for (std::size_t sent = 0; sent < bytes.size();) {
        int result = platform::SendSome(client.socket, bytes.data() + sent, bytes.size() - sent);
        if (result <= 0) {
            log_.Line("send-failed " + std::to_string(client.id) + " " + what);
            return false;
        }
        sent += static_cast<std::size_t>(result);
    }
    log_.Line("sent " + std::to_string(client.id) + " " + what);
    return true;
}

bool ScriptedNewsServer::SendToCurrent(const std::vector<std::uint8_t>& bytes, const std::string& what) {
    std::shared_ptr<Client> client = Current();
    if (!client) {
        log_.Line("fail no client for " + what);
        return false;
    }
    if (!SendTo(*client, bytes, what)) {
        log_.Line("fail " + std::to_string(client->id) + " is closed: " + what);
        return false;
    }
    return true;
}

void ScriptedNewsServer::StreamLoop(Stream plan, std::shared_ptr<std::atomic<bool>> stopped) {
    auto due = std::chrono::steady_clock::now();
    for (unsigned n = 1; (plan.count == 0 || n <= plan.count) && !*stopped && !stopping_; ++n) {
        due += std::chrono::milliseconds(plan.periodMs);
        std::this_thread::sleep_until(due);
        if (*stopped || stopping_) break;
        const Guid& category = plan.categories[(n - 1) % plan.categories.size()];
        const std::string title = "快讯 " + std::to_string(n);
        if (std::shared_ptr<Client> client = Current())
            SendTo(*client, NewsFrame(category, title, "http://127.0.0.1/live/" + std::to_string(n)),
                   "news " + CategoryName(category) + " " + Quoted(title));
    }
}

void ScriptedNewsServer::StopStream() {
    if (streamStopped_) *streamStopped_ = true;
    if (stream_.joinable()) stream_.join();
    streamStopped_.reset();
}

void ScriptedNewsServer::ServeHttp() {
    while (!stopping_) {
        if (!Readable(httpListener_, kPollMs)) continue;
        platform::SocketHandle socket = platform::AcceptConnection(httpListener_);
        if (socket == platform::kNoSocket) continue;
        platform::SetSocketTimeouts(socket, 2000);
        std::string head;
        char chunk[1024];
        while (head.find("\r\n\r\n") == std::string::npos && head.size() < 8192) {
            int received = platform::ReceiveSome(socket, chunk, sizeof chunk);
            if (received <= 0) break;
            head.append(chunk, static_cast<std::size_t>(received));
        }
        std::string line = head.substr(0, head.find("\r\n"));
        HttpReply reply;
        {
            std::lock_guard lock(mutex_);
            reply = line.starts_with("GET /version.html ") && versionPageServed_ ? HttpReply{200, versionPage_}
                                                                                 : HttpReply{404, "<html>404</html>"};
        }
        for (char& c : line)
            if (static_cast<unsigned char>(c) < 0x20) c = ' ';
        log_.Line("http " + std::to_string(reply.status) + " " + line.substr(0, 200));
        const std::string text = FormatHttpReply(reply, !line.starts_with("HEAD "));
        for (std::size_t sent = 0; sent < text.size();) {
            int result = platform::SendSome(socket, text.data() + sent, text.size() - sent);
            if (result <= 0) break;
            sent += static_cast<std::size_t>(result);
        }
        platform::ShutdownSocket(socket);
        platform::CloseSocket(socket);
    }
}

bool ScriptedNewsServer::Run(const Step& step) {
    struct Runner {
        ScriptedNewsServer& s;

        bool WaitFor(unsigned timeoutMs, const std::function<bool()>& condition) {
            std::unique_lock lock(s.mutex_);
            return s.changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), condition);
        }
        bool operator()(const Accept& a) {
            bool ok = WaitFor(a.timeoutMs, [&] {
                return !s.clients_.empty() && s.clients_.back()->id > s.acceptedSeen_;
            });
            if (!ok) {
                s.log_.Line("fail accept: no client came");
                return false;
            }
            std::lock_guard lock(s.mutex_);
            s.acceptedSeen_ = s.clients_.back()->id;
            return true;
        }
        bool operator()(const ExpectCategory& e) {
            std::shared_ptr<Client> client = s.Current();
            if (!client) {
                s.log_.Line("fail expect-category: no client");
                return false;
            }
            std::optional<Guid> got;
            WaitFor(e.timeoutMs, [&] {
                while (client->requestsSeen < client->requests.size()) {
                    const Guid guid = client->requests[client->requestsSeen++];
                    if (!e.category || guid == *e.category) {
                        got = guid;
                        return true;
                    }
                }
                return client->closed;
            });
            if (!got) s.log_.Line("fail expect-category: no such request");
            return got.has_value();
        }
        bool operator()(const History& h) {
            std::vector<std::uint8_t> burst;
            for (unsigned i = 1; i <= h.count; ++i) {
                auto frame = NewsFrame(h.category, h.title + " " + std::to_string(i), "http://127.0.0.1/history/" + std::to_string(i));
                burst.insert(burst.end(), frame.begin(), frame.end());
            }
            return s.SendToCurrent(burst, "history " + CategoryName(h.category) + " " + std::to_string(h.count));
        }
        bool operator()(const HistoryEnd&) { return s.SendToCurrent(Framed(wire::HistoryEndPayload()), "history-end"); }
        bool operator()(const News& n) {
            return s.SendToCurrent(NewsFrame(n.category, n.title, n.link), "news " + CategoryName(n.category) + " " + Quoted(n.title));
        }
        bool operator()(const Stream& plan) {
            s.StopStream();
            s.streamStopped_ = std::make_shared<std::atomic<bool>>(false);
            s.stream_ = std::thread([server = &s, plan, stopped = s.streamStopped_] { server->StreamLoop(plan, stopped); });
            return true;
        }
        bool operator()(const StreamStop&) {
            s.StopStream();
            return true;
        }
        bool operator()(const AutoHistory& a) {
            std::lock_guard lock(s.mutex_);
            s.autoHistory_ = a;
            return true;
        }
        bool operator()(const EchoHeartbeats& e) {
            s.echoHeartbeats_ = e.on;
            return true;
        }
        bool operator()(const Heartbeat&) { return s.SendToCurrent(Framed(wire::HeartbeatPayload()), "heartbeat"); }
        bool operator()(const SignatureRequest&) {
            return s.SendToCurrent(Framed(wire::SignatureRequestPayload()), "signature-request");
        }
        bool operator()(const Signature& g) {
            std::vector<std::uint8_t> payload = wire::SignaturePayload(g.value);
            return s.SendToCurrent(Framed(payload), "signature " + std::to_string(g.value));
        }
        bool operator()(const Banner& b) {
            std::ifstream in(b.file, std::ios::binary);
            if (!in) {
                s.log_.Line("fail banner: cannot read " + b.file);
                return false;
            }
            std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return s.SendToCurrent(Framed(wire::BannerPayload(b.slot, platform::FromUtf8(b.link), image)),
                                   "banner " + std::to_string(b.slot) + " " + Quoted(b.link));
        }
        bool operator()(const Header& h) {
            const std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(h.length), static_cast<std::uint8_t>(h.length >> 8),
                                                  static_cast<std::uint8_t>(h.length >> 16), static_cast<std::uint8_t>(h.length >> 24)};
            return s.SendToCurrent(bytes, "header " + std::to_string(h.length));
        }
        bool operator()(const Frame& f) {
            return s.SendToCurrent(Framed(f.payload), "frame " + std::to_string(f.payload.size()));
        }
        bool operator()(const Raw& r) { return s.SendToCurrent(r.bytes, "raw " + std::to_string(r.bytes.size())); }
        bool operator()(const Sleep& z) {
            std::this_thread::sleep_for(std::chrono::milliseconds(z.ms));
            return true;
        }
        bool operator()(const Close&) {
            std::shared_ptr<Client> client = s.Current();
            std::lock_guard lock(s.mutex_);
            if (!client || client->closed) {
                s.log_.Line("fail close: no open client");
                return false;
            }
            client->closed = true;  // the reader logs server-closed when it sees the end
            platform::ShutdownSocket(client->socket);
            return true;
        }
        bool operator()(const WaitClose& w) {
            std::shared_ptr<Client> client = s.Current();
            if (!client) return false;
            if (!WaitFor(w.timeoutMs, [&] { return client->closed; })) {
                s.log_.Line("fail wait-close: the client stayed");
                return false;
            }
            return true;
        }
        bool operator()(const Refuse&) {
            s.CloseListener();
            s.log_.Line("refuse");
            return true;
        }
        bool operator()(const Listen&) {
            if (!s.OpenListener()) {
                s.log_.Line("fail listen: port " + std::to_string(s.newsPort_) + " taken");
                return false;
            }
            s.log_.Line("listen");
            return true;
        }
        bool operator()(const VersionPage& v) {
            std::lock_guard lock(s.mutex_);
            s.versionPageServed_ = v.body.has_value();
            s.versionPage_ = v.body.value_or("");
            return true;
        }
        bool operator()(const Exit&) { return true; }
    };
    return std::visit(Runner{*this}, step);
}

}  // namespace e2e
