-- SPDX-License-Identifier: GPL-3.0-or-later
-- The team journal's tables, made once by the database's owner in the database, with the role
-- the laptops' users belong to given the right to insert and to select, nothing else:
--   psql -d korvel_journal -v team=korvel_team -f teamjournal.sql
-- The columns are the local journal's (journal.sqlite). An entry is keyed by its UUID and
-- never changes; an outcome learnt after the entry was copied arrives as a row of outcomes,
-- and the highest revision of an entry's register is its outcome.
\set ON_ERROR_STOP on
BEGIN;
CREATE TABLE journal_schema (version integer NOT NULL);
INSERT INTO journal_schema VALUES (2);
CREATE TABLE entries (
    uuid uuid PRIMARY KEY,
    laptop text NOT NULL,
    at_ms bigint NOT NULL,
    "user" text,
    port text,
    slave_id integer,
    identity_known integer,
    device_type bigint,
    serial_number bigint,
    kind integer,
    fingerprint_before text,
    fingerprint_after text,
    outcome integer,
    register_count integer,
    -- Who copied it, as the server knows them.
    copied_by text NOT NULL DEFAULT current_user,
    copied_at timestamptz NOT NULL DEFAULT now()
);
CREATE INDEX entries_by_relay ON entries (serial_number, at_ms);
CREATE INDEX entries_by_time ON entries (at_ms);
CREATE TABLE registers (
    entry_uuid uuid NOT NULL REFERENCES entries,
    position integer NOT NULL,
    address integer,
    field text,
    has_old integer,
    old_raw bigint,
    old_shown text,
    new_raw bigint,
    new_shown text,
    outcome integer,
    detail text,
    PRIMARY KEY (entry_uuid, position)
);
CREATE TABLE outcomes (
    entry_uuid uuid NOT NULL REFERENCES entries,
    position integer NOT NULL,
    revision integer NOT NULL,
    outcome integer NOT NULL,
    detail text,
    fingerprint_after text,
    at_ms bigint NOT NULL,
    copied_by text NOT NULL DEFAULT current_user,
    PRIMARY KEY (entry_uuid, position, revision)
);
REVOKE ALL ON journal_schema, entries, registers, outcomes FROM PUBLIC;
GRANT SELECT ON journal_schema TO :"team";
GRANT SELECT, INSERT ON entries, registers, outcomes TO :"team";
COMMIT;
