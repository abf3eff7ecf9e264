<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QovProgramSettingsDialog</name>
    <message>
        <source>App to Device</source>
        <translation>App → Device</translation>
    </message>
    <message>
        <source>Device to App</source>
        <translation>Device → App</translation>
    </message>
</context>
<context>
    <name>QovVersionInfoDialog</name>
    <message>
        <source>Copyright (C) 2026 Korvath. All rights reserved.</source>
        <translation>© 2026 Korvath. All rights reserved.</translation>
    </message>
</context>
</TS>
