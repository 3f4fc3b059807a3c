#pragma once
#include <string>

#include <windows.h>

// How a request to the photo service or to Wikimedia Commons ended: answered,
// refused by the service (its own code and message), or without an answer (a
// reason in plain words).
struct ServiceOutcome {
    enum class Kind { kAnswered, kRefused, kUnreachable };
    enum class Source { kFlickr, kCommons };

    Kind kind = Kind::kAnswered;
    Source source = Source::kFlickr;
    int code = 0;             // the photo service's error code when refused
    std::wstring code_word;   // Commons' error code ("maxlag") when refused
    std::wstring message;     // the service's message, or the plain reason

    static ServiceOutcome refused(int code, std::wstring message);
    static ServiceOutcome unreachable(std::wstring reason);
    // From a transfer that brought no usable answer: its error, else its status.
    static ServiceOutcome no_answer(DWORD error, DWORD status);
    // The same outcome, of Commons.
    ServiceOutcome of_commons() const;

    bool failed() const { return kind != Kind::kAnswered; }
    // Refused for the key or the signature: the user's settings are at fault.
    bool blames_key() const;
    // Refused because the photo was deleted or made private ("Photo not found").
    bool photo_gone() const;
};

// "Flickrが拒否しました: <msg> (<code>)" or "Flickrに接続できませんでした: <reason>",
// with "Wikimedia Commons" for Commons; empty for an answered request.
std::wstring outcome_text(const ServiceOutcome& outcome);
// outcome_text followed, when the key or signature is at fault, by where to check it.
std::wstring outcome_text_with_hint(const ServiceOutcome& outcome);
// A failed transfer's error in plain words.
std::wstring plain_reason(DWORD error);
