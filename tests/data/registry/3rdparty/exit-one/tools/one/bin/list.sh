#!/bin/sh
echo none
