from dataclasses import dataclass


@dataclass
class Context:
    """What a program may use while it answers one request."""
    db: object        # service.db.Database
    storage: object   # service.storage.Storage
    outbox: object    # service.outbox.Outbox
    host: str         # the host name the client addressed (Host header)
