#!/bin/sh
echo other.plugin
