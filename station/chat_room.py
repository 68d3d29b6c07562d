"""The chat room: messages in memory, numbered, with long-polling readers."""

import threading
import time

MAX_NAME = 40
MAX_TEXT = 500
KEPT_MESSAGES = 500
DEFAULT_NAME = "Listener"


class ChatError(ValueError):
    """A message the room refuses; the text is shown to the sender."""


def _clean(text, limit):
    # Control characters would only garble other listeners' screens.
    text = "".join(ch for ch in str(text) if ch >= " " or ch == "\t")
    return text.strip()[:limit]


class ChatRoom:
    def __init__(self):
        self._messages = []
        self._last_id = 0
        self._closing = False
        self._changed = threading.Condition()

    def post(self, name, text):
        """Adds a message and wakes every waiting reader; returns the message."""
        text = _clean(text or "", MAX_TEXT)
        if not text:
            raise ChatError("The message is empty.")
        name = _clean(name or "", MAX_NAME) or DEFAULT_NAME
        with self._changed:
            self._last_id += 1
            message = {"id": self._last_id, "name": name, "text": text, "time": time.time()}
            self._messages.append(message)
            del self._messages[:-KEPT_MESSAGES]
            self._changed.notify_all()
        return message

    def since(self, last_seen, wait_seconds=0.0):
        """Messages newer than last_seen, waiting up to wait_seconds for the first one.

        Returns (messages, newest id). A reader that passes the returned id
        next time sees every message exactly once.
        """
        deadline = time.monotonic() + max(0.0, wait_seconds)
        with self._changed:
            if last_seen > self._last_id:
                # The reader knew an earlier run of the station: start it afresh.
                last_seen = 0
            while self._last_id <= last_seen and not self._closing:
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    break
                self._changed.wait(remaining)
            newer = [m for m in self._messages if m["id"] > last_seen]
            return newer, self._last_id

    def close(self):
        """Releases every waiting reader, so the station can stop at once."""
        with self._changed:
            self._closing = True
            self._changed.notify_all()
