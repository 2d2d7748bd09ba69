#include "NewsSession.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

#include "ClientMessages.h"
#include "EventLog.h"
#include "connection/Protocol.h"
#include "framework/platform/Text.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", value);
    return text;
}

std::string GuidText(const Guid& guid) {
    std::string text;
    char pair[3];
    for (std::uint8_t byte : guid.bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

}  // namespace

std::vector<Banner> LoadBanners(const std::string& folder, EventLog& log) {
    std::vector<Banner> banners;
    for (std::uint32_t slot = 1; slot <= 3; ++slot) {
        const std::string path = folder + "/banner" + std::to_string(slot) + ".jpg";
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            log.Line("banner " + std::to_string(slot) + ": no file " + path + ", not sent");
            continue;
        }
        Banner banner{slot, L"https://example.com/offers/banner" + std::to_wstring(slot) + L".html",
                      std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
        if (banner.image.size() + 20 + banner.link.size() * 2 > wire::kMaxPayloadBytes) {
            log.Line("banner " + std::to_string(slot) + ": " + path + " is too large for one frame, not sent");
            continue;
        }
        banners.push_back(std::move(banner));
    }
    return banners;
}

int PollTimeoutMs(std::chrono::steady_clock::duration untilDue) {
    if (untilDue <= std::chrono::steady_clock::duration::zero()) return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(untilDue).count());
}

NewsSession::NewsSession(int number, platform::SocketHandle socket, const HeadlineBook& book,
                         const std::vector<Banner>& banners, SessionPlan plan, EventLog& log)
    : number_(number), socket_(socket), book_(book), banners_(banners), plan_(plan), log_(log),
      signature_(0x5EED0000u + static_cast<std::uint32_t>(number)) {}

void NewsSession::Log(const std::string& text) { log_.Line("client " + std::to_string(number_) + ": " + text); }

bool NewsSession::SendPayloads(const std::vector<std::vector<std::uint8_t>>& payloads) {
    std::vector<std::uint8_t> frames;
    for (const auto& payload : payloads)
        if (!wire::AppendFrame(frames, payload.data(), payload.size())) return false;
    for (std::size_t sent = 0; sent < frames.size();) {
        int result = platform::SendSome(socket_, frames.data() + sent, frames.size() - sent);
        if (result <= 0) return false;
        sent += static_cast<std::size_t>(result);
    }
    return true;
}

bool NewsSession::SendHistory(const Guid& category) {
    const CategoryInfo* info = FindCategory(category);
    std::vector<std::vector<std::uint8_t>> payloads;
    if (info) {
        for (const TimedHeadline& item : book_.History(*info, plan_.history, Now()))
            payloads.push_back(wire::NewsPayload(category, item.publishTime, item.headline->title, item.headline->link));
    }
    // Even an unknown category gets its end marker: the client takes everything as history until then.
    payloads.push_back(wire::HistoryEndPayload());
    Log("history of " + (info ? std::string(info->name) : "unknown category " + GuidText(category)) + ": " +
        std::to_string(payloads.size() - 1) + " headlines");
    return SendPayloads(payloads);
}

bool NewsSession::SendLiveBeat() {
    std::vector<std::vector<std::uint8_t>> payloads;
    if (const SampleHeadline* headline = book_.Live(tick_)) {
        payloads.push_back(wire::NewsPayload(headline->category->guid, Now(), headline->title, headline->link));
        Log("live " + std::string(headline->category->name) + " " + platform::ToUtf8(headline->title));
    }
    ++tick_;
    if (tick_ % plan_.signatureEvery == 0) {
        signature_ = signature_ * 1664525u + 1013904223u;
        payloads.push_back(wire::SignaturePayload(signature_));
        Log("signature " + Hex(signature_) + " sent");
    }
    if (tick_ % plan_.signatureRequestEvery == 0) {
        payloads.push_back(wire::SignatureRequestPayload());
        Log("signature requested");
    }
    return payloads.empty() || SendPayloads(payloads);
}

bool NewsSession::Handle(const ClientMessage& message) {
    switch (message.kind) {
    case ClientMessageKind::CategoryRequest:
        return SendHistory(message.category);
    case ClientMessageKind::Heartbeat:
        return SendPayloads({wire::HeartbeatPayload()});
    case ClientMessageKind::Signature:
        Log("signature answer " + Hex(message.signature) + (message.signature == signature_ ? " (as sent)" : " (not as sent)"));
        return true;
    case ClientMessageKind::Malformed:
        Log("malformed frame of type " + std::to_string(message.type) + " dropped");
        return true;
    case ClientMessageKind::Unknown:
        Log("frame of type " + std::to_string(message.type) + " dropped");
        return true;
    }
    return true;
}

void NewsSession::Run(const std::atomic<bool>& stopping) {
    platform::SetSocketTimeouts(socket_, 5000);
    Log("connected");
    std::vector<std::vector<std::uint8_t>> banners;
    for (const Banner& banner : banners_) {
        banners.push_back(wire::BannerPayload(banner.slot, banner.link, banner.image));
        Log("banner " + std::to_string(banner.slot) + " sent, " + std::to_string(banner.image.size()) + " bytes");
    }
    if (!banners.empty() && !SendPayloads(banners)) {
        Log("left (send failed)");
        return;
    }
    auto nextHeartbeat = Clock::now() + std::chrono::milliseconds(plan_.heartbeatMs);
    auto nextLive = Clock::now() + std::chrono::milliseconds(plan_.paceMs);
    std::vector<std::uint8_t> frame;
    const char* reason = "stopping";
    while (!stopping) {
        // Wake for the next beat, and at least every 100 ms to notice a stop.
        auto due = std::min({nextHeartbeat, nextLive, Clock::now() + std::chrono::milliseconds(100)});
        pollfd entry{socket_, POLLIN, 0};
        int ready = poll(&entry, 1, PollTimeoutMs(due - Clock::now()));
        if (ready < 0) {
            reason = "left (poll failed)";
            break;
        }
        if (ready > 0) {
            int result = wire::ReadFrame(frame, socket_);
            if (result <= 0) {
                reason = result == 0 ? "left" : "left (receive failed)";
                break;
            }
            if (!Handle(DecodeClientMessage(frame))) {
                reason = "left (send failed)";
                break;
            }
        }
        bool sent = true;
        if (Clock::now() >= nextHeartbeat) {
            nextHeartbeat = Clock::now() + std::chrono::milliseconds(plan_.heartbeatMs);
            sent = SendPayloads({wire::HeartbeatPayload()});
        }
        if (sent && Clock::now() >= nextLive) {
            nextLive = Clock::now() + std::chrono::milliseconds(plan_.paceMs);
            sent = SendLiveBeat();
        }
        if (!sent) {
            reason = "left (send failed)";
            break;
        }
    }
    Log(reason);
}
