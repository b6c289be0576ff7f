<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>BatchNotice</name>
    <message numerus="yes">
        <source>Couldn&apos;t send %1 and %n more</source>
        <comment>%1 is a file name</comment>
        <translation>
            <numerusform>Couldn&apos;t send %1 and %n more</numerusform>
            <numerusform>Couldn&apos;t send %1 and %n more</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ByteCountFormat</name>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RecentSendCard</name>
    <message numerus="yes">
        <source>%n stitches</source>
        <translation>
            <numerusform>%n stitch</numerusform>
            <numerusform>%n stitches</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n colours</source>
        <translation>
            <numerusform>%n colour</numerusform>
            <numerusform>%n colours</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SendQueue</name>
    <message numerus="yes">
        <source>This file can&apos;t be sent. The machine reads %1 files.</source>
        <comment>%1 lists the extensions: .pes, .phc, .dst or .pen</comment>
        <translation>
            <numerusform>This file can&apos;t be sent. The machine reads %1 files.</numerusform>
            <numerusform>These files can&apos;t be sent. The machine reads %1 files.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped (not %1)</source>
        <comment>%1 lists the extensions</comment>
        <translation>
            <numerusform>%n skipped (not %1)</numerusform>
            <numerusform>%n skipped (not %1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n designs</source>
        <translation>
            <numerusform>%n design</numerusform>
            <numerusform>%n designs</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SizeWarning</name>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
</context>
</TS>
