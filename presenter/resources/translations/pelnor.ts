<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>RSetting</name>
    <message>
        <source>选择路径</source>
        <translation>选择路径</translation>
    </message>
</context>
</TS>
